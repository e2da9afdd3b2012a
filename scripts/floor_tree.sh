# SPDX-License-Identifier: GPL-3.0-or-later
# floor_tree.sh, sourced by the measuring scripts: lay_floor_tree DIR SUPPLIES lays out
# DIR/power_supply as bench/floor_tree.cpp does: an adapter AC and SUPPLIES - 1 batteries
# BAT0, BAT1..., half reporting energy and half charge, each one's uevent lacking four
# attributes a pass asks for; each supply a link to its directory under DIR/devices.
lay_floor_tree() {
    local dir=$1 supplies=$2 i name
    mkdir -p "$dir/power_supply"
    floor_supply() {  # name uevent-lines...
        mkdir -p "$dir/devices/$1"
        printf 'POWER_SUPPLY_%s\n' "NAME=$1" "${@:2}" >"$dir/devices/$1/uevent"
        ln -s "../devices/$1" "$dir/power_supply/$1"
    }
    floor_supply AC TYPE=Mains ONLINE=1
    for ((i = 0; i < supplies - 1; i++)); do
        name=BAT$i
        if ((i % 2 == 0)); then
            floor_supply "$name" TYPE=Battery STATUS=Discharging PRESENT=1 TECHNOLOGY=Li-poly \
                CYCLE_COUNT=321 VOLTAGE_MIN_DESIGN=11580000 VOLTAGE_NOW=12316000 \
                POWER_NOW=8741000 ENERGY_FULL_DESIGN=57020000 ENERGY_FULL=50110000 \
                ENERGY_NOW=31240000 CAPACITY=62 CAPACITY_LEVEL=Normal MODEL_NAME=5B10W13930 \
                MANUFACTURER=SMP SERIAL_NUMBER=1234
        else
            floor_supply "$name" TYPE=Battery STATUS=Charging PRESENT=1 TECHNOLOGY=Li-ion \
                CYCLE_COUNT=87 VOLTAGE_MIN_DESIGN=10800000 VOLTAGE_NOW=12460000 \
                CURRENT_NOW=1520000 CHARGE_FULL_DESIGN=5800000 CHARGE_FULL=5210000 \
                CHARGE_NOW=2604000 CAPACITY=49 CAPACITY_LEVEL=Normal "MODEL_NAME=DELL 7FHHV" \
                MANUFACTURER=SMP SERIAL_NUMBER=4321
        fi
    done
}
