// SPDX-License-Identifier: GPL-3.0-or-later
// floor_tree.h: the power-supply tree the pass and its floor are measured on, shaped like a
// real machine's: one adapter, then batteries, half reporting energy and half charge.
#pragma once

#include "support/fixture_tree.h"

// Adds an adapter AC and supplies - 1 batteries BAT0, BAT1... to the tree. Each battery's
// uevent holds some fifteen lines but lacks four attributes a pass asks for (the other
// unit's three figures and one rate), so the pass tries those as single files, which do not
// exist, as on real machines.
void add_floor_supplies(const FixtureTree& tree, int supplies);
