// SPDX-License-Identifier: GPL-3.0-or-later
// identifiers.h: stand-ins for what in a captured tree could identify a battery, a device
// or its owner.
#pragma once
#include <string>

#include "capture/captured_tree.h"

// Replaces, in every place at once:
// - the serial number, in uevent (the key in any case, as the program matches keys) and in
//   the serial_number file, by kSerialPlaceholder, or by as many "X" as the serial has
//   characters when it is shorter;
// - every device address (six two-digit hex octets joined by ":", in any case) and the
//   unique id in a HID battery's name "hid-<id>-battery", in folder, file and link names,
//   link texts and POWER_SUPPLY_NAME values, by a stand-in of the same shape: the addresses
//   become 02:00:00:00:00:01, 02:00:00:00:00:02... (locally administered, so never a
//   real device's), the other ids keep their punctuation with their letters and digits
//   counting up, each numbered in the byte order of the originals. A sequence, not a hash:
//   a hash of a 48-bit address is easily reversed.
// A stand-in is never longer than what it replaces, so every file stays within the
// program's read bound as whole lines, and the same original always gets the same stand-in,
// so the copy's links still lead to its folders.
void replace_identifiers(CapturedTree& tree);

