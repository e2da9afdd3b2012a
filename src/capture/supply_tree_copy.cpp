// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/supply_tree_copy.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <system_error>

#include <glib.h>

#include "acquisition/attribute_map.h"
#include "acquisition/bounded_file.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSerialKey = "POWER_SUPPLY_SERIAL_NUMBER";

bool same_key(std::string_view key) {
    return std::equal(key.begin(), key.end(), kSerialKey.begin(), kSerialKey.end(),
                      [](char a, char b) { return g_ascii_toupper(a) == b; });
}

// Keeps every line but the serial number's value. The key's case does not matter: the
// program matches keys ignoring case, so any spelling of it would be the serial number.
std::string without_serial(std::string_view text) {
    std::string kept;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && same_key(line.substr(0, equals))) {
            kept.append(line.substr(0, equals + 1)).append(kSerialPlaceholder);
        } else {
            kept.append(line);
        }
        if (lf == std::string_view::npos) {
            break;
        }
        kept += '\n';
        text.remove_prefix(lf + 1);
    }
    return kept;
}

// The bytes the program would take from the file, or nothing when it would not open it.
// uevent is read up to kMaxFileBytes and, when longer, cut after its last whole line: the
// program drops the cut line, and a copy of exactly the limit would not tell it so. Other
// files are read as far as the program reads an attribute: one line over the longest.
bool read_as_the_program_does(const fs::path& file, std::string& bytes) {
    const std::string name = file.filename();
    const bool uevent = name == "uevent";
    std::string buffer;
    const BoundedRead read =
        read_regular_file(file.c_str(), buffer, uevent ? kMaxFileBytes : kMaxLineBytes + 1);
    if (!read.opened) {
        return false;
    }
    if (uevent) {
        bytes = without_serial(whole_lines(buffer, read));
    } else if (name == "serial_number") {
        bytes = std::string(kSerialPlaceholder) + "\n";
    } else {
        bytes.assign(buffer.data(), read.size);
    }
    return true;
}

void note(std::string& error, const std::string& problem) {
    if (error.empty()) {
        error = problem;
    }
}

void copy_supply_folder(const fs::path& from, const fs::path& to, TreeCopy& copy) {
    std::error_code error;
    fs::create_directories(to, error);
    if (error) {
        note(copy.error, "cannot create " + to.string() + ": " + error.message());
        return;
    }
    ++copy.supplies;
    for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error)) {
        std::error_code type_error;
        std::string bytes;
        if (it->symlink_status(type_error).type() != fs::file_type::regular ||
            !read_as_the_program_does(it->path(), bytes)) {
            continue;
        }
        const fs::path file = to / it->path().filename();
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            note(copy.error, "cannot write " + file.string());
        }
    }
}

// Where a link of the class folder leads inside top, or empty when it leaves top.
fs::path lead_inside_top(const fs::path& link_text) {
    if (link_text.is_absolute()) {
        return {};
    }
    const fs::path lead = (fs::path(kCopiedClassFolder) / link_text).lexically_normal();
    if (lead.empty() || *lead.begin() == "..") {
        return {};
    }
    return lead;
}

void copy_entry(const fs::directory_entry& entry, const fs::path& top, TreeCopy& copy) {
    const fs::path in_copy = top / kCopiedClassFolder / entry.path().filename();
    std::error_code error;
    const bool is_link = entry.is_symlink(error);
    const bool is_folder = entry.is_directory(error);  // follows the link
    const bool leads_nowhere = static_cast<bool>(error);
    if (!is_link) {
        if (is_folder) {
            copy_supply_folder(entry.path(), in_copy, copy);
        }
        return;
    }
    const fs::path link_text = fs::read_symlink(entry.path(), error);
    const fs::path lead = error ? fs::path() : lead_inside_top(link_text);
    if (is_folder && lead.empty()) {
        copy_supply_folder(entry.path(), in_copy, copy);
        return;
    }
    if (lead.empty() || (!is_folder && !leads_nowhere)) {
        return;
    }
    if (is_folder) {
        copy_supply_folder(entry.path(), top / lead, copy);
    }
    fs::create_symlink(link_text, in_copy, error);
    if (error) {
        note(copy.error, "cannot create " + in_copy.string() + ": " + error.message());
    }
}

} // namespace

TreeCopy copy_supply_tree(const fs::path& root, const fs::path& top) {
    TreeCopy copy;
    std::error_code error;
    fs::directory_iterator listing(root, error);
    if (error) {
        copy.error = error.message();
        return copy;
    }
    copy.listed = true;
    fs::create_directories(top / kCopiedClassFolder, error);
    if (error) {
        copy.error =
            "cannot create " + (top / kCopiedClassFolder).string() + ": " + error.message();
        return copy;
    }
    for (fs::directory_iterator end; !error && listing != end; listing.increment(error)) {
        copy_entry(*listing, top, copy);
    }
    if (error) {
        note(copy.error, error.message());
    }
    return copy;
}
