#!/usr/bin/env python3
"""Writes the text files of the sample car folder under example/.

The car file, the settings file, one snippet file per option and the four
settings variants, all with CR LF line ends. Every section has its exact
marker and exactly its number of body lines. Run from anywhere:
    tools/make_example_texts.py
The pictures under example/ini are made elsewhere and left alone.
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent / "example"

# group: (marker, body length, [(option folder path, label, state words)])
GROUPS = {
    "FrontCarplate": ("------------FrontCarplate--------------", 9, "plate_front", [
        ("frontcarplate/OFF/off.txt", "OFF", "none"),
        ("frontcarplate/ON/on.txt", "ON", "eu_short")]),
    "PermanentLights": ("---------------PermanentLights------------", 107, "lamp", [
        ("Lights/OFF/off.txt", "OFF", "dark"),
        ("Lights/ON/on.txt", "ON", "lit")]),
    "BumperExtralights": ("----------------BumperExtralights-----------", 30, "bumper_lamp", [
        ("bumperextralights/NOTUSED/notused.txt", "Not Used", "absent"),
        ("bumperextralights/OFF/off.txt", "OFF", "fitted_dark"),
        ("bumperextralights/ON/on.txt", "ON", "fitted_lit")]),
    "Dashboard": ("----------------Dashboard----------------", 30, "gauge", [
        ("dashboard/analog/analog.txt", "Analog", "analog_needle"),
        ("dashboard/stack/stack.txt", "Stack", "stack_lcd")]),
    "BackCarplate": ("------------BackCarplate---------------", 7, "plate_rear", [
        ("backcarplate/OFF/off.txt", "OFF", "none"),
        ("backcarplate/ON/on.txt", "ON", "eu_long")]),
    "Wing": ("-------------Wing---------------", 9, "wing", [
        ("wing/off/off.txt", "OFF", "flat_lid"),
        ("wing/on/on.txt", "ON", "gt_blade")]),
    "Mudflaps": ("-----------Mudflaps---------------", 7, "mudflap", [
        ("mudflap/off/off.txt", "OFF", "none"),
        ("mudflap/on/on.txt", "ON", "rubber_logo")]),
    "MirrorChange": ("-------------MirrorChange---------------", 52, "mirror", [
        ("mirror/stock/stock.txt", "80's", "chrome_round"),
        ("mirror/racing/racing.txt", "Modern", "carbon_aero")]),
}

SETTINGS_VARIANTS = {
    "LightsOFFBumperLightsOFF": ("0", "0"),
    "LightsOFFBumperLightsON": ("0", "1"),
    "LightsONBumperLightsOFF": ("1", "0"),
    "LightsONBumperLightsON": ("1", "1"),
}


def write(relative, lines):
    path = ROOT / relative
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("ascii"))


def body(group, option_index):
    """The N body lines of a group's section for one option."""
    marker, length, prefix, options = GROUPS[group]
    _, label, state = options[option_index]
    lines = [f"; {group}: {label}"]
    i = 0
    while len(lines) < length:
        slot = i // 3 + 1
        kind = i % 3
        if kind == 0:
            lines.append(f"{prefix}_{slot:02d}_mesh = {prefix}_{state}_{slot:02d}")
        elif kind == 1:
            lines.append(f"{prefix}_{slot:02d}_offset = {slot * 0.125:.3f}, "
                         f"{0.4 + option_index * 0.05:.2f}, {-1.2 + slot * 0.01:.2f}")
        else:
            lines.append(f"{prefix}_{slot:02d}_material = mat_{state}")
        i += 1
    return lines


def section(group, option_index):
    return [GROUPS[group][0]] + body(group, option_index)


def car_file():
    lines = [
        "; Karvo Zelt Omra - car configuration",
        "; Keep every section marker line as it is and the number of lines after it.",
        "",
        "[car]",
        "name = Karvo Zelt Omra",
        "class = street_b",
        "mass_kg = 1185",
        "wheelbase_m = 2.54",
        "",
        "[engine]",
        "layout = inline4_turbo",
        "displacement_cc = 1998",
        "power_kw = 176",
        "torque_nm = 320",
        "redline_rpm = 7200",
        "idle_rpm = 850",
        "; boost in bar above ambient",
        "boost_max = 1.05",
        "",
        "[gearbox]",
        "type = manual",
        "gears = 6",
        "ratios = 3.36, 2.09, 1.47, 1.13, 0.92, 0.78",
        "final_drive = 4.06",
        "",
        "[suspension]",
        "front = macpherson",
        "rear = multilink",
        "spring_front_nm = 32000",
        "spring_rear_nm = 28000",
        "damper_bump = 3400",
        "damper_rebound = 6100",
        "",
        "[body]",
        "mesh = omra_body_lod0",
        "paint = mat_paint_main",
    ]
    lines += section("FrontCarplate", 1)
    lines += section("BackCarplate", 1)
    lines += ["", "[lights]", "headlight_range_m = 90", "lamp_warmup_s = 0.08"]
    lines += section("PermanentLights", 1)
    lines += section("BumperExtralights", 0)
    lines += ["", "[interior]", "seat = bucket_cloth", "steering_wheel = omra_sport_350"]
    lines += section("Dashboard", 0)
    lines += ["", "[aero]", "drag_coefficient = 0.33", "lift_front = 0.02"]
    lines += section("Wing", 0)
    lines += section("Mudflaps", 0)
    lines += ["", "[extras]", "; mirrors and the CB radio antenna"]
    lines += section("MirrorChange", 0)
    lines += ["", "[sound]", "exhaust = omra_turbo_exhaust", "volume = 0.85"]
    return lines


def settings(headlights, bumper_lights):
    return [
        "; Karvo Zelt Omra - driver settings",
        "[controls]",
        "steering_lock_deg = 540",
        "brake_bias_front = 0.62",
        "",
        "[lights]",
        f"headlights_default_on = {headlights}",
        f"bumper_lights_available = {bumper_lights}",
        f"high_beam_key = {'H' if headlights == '1' else 'none'}",
        f"fog_key = {'F' if bumper_lights == '1' else 'none'}",
        "",
        "[camera]",
        "default_view = chase",
        "fov_deg = 58",
    ]


def main():
    write("Karvo_Zelt_Omra.ini", car_file())
    write("Karvo_Zelt_Omra_settings.ini", settings("1", "0"))
    for group, (marker, _, _, options) in GROUPS.items():
        for index, (path, label, _) in enumerate(options):
            write("ini/" + path, [
                f"; {group} section, option \"{label}\"",
                "; copied into Karvo_Zelt_Omra.ini in place of the section with the marker below",
            ] + section(group, index) + ["; end of section"])
    for name, (headlights, bumper_lights) in SETTINGS_VARIANTS.items():
        write(f"ini/settingschange/{name}/Karvo_Zelt_Omra_settings.ini",
              settings(headlights, bumper_lights))


if __name__ == "__main__":
    main()
