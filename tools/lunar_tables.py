#!/usr/bin/env python3
"""Builds the lunar month tables of calendar/lunar_tables.cpp and checks them.

    tools/lunar_tables.py                 check the data, print the two C++ tables
    tools/lunar_tables.py --check FILE    also compare them with the tables in FILE

The data is the published Chinese calendar (the one the Purple Mountain and Hong
Kong observatories publish) in the compact form that many lunar-calendar libraries
share: one number per lunar year, here for 1901 to 2049. That form is converted
into ours:

  LunarMonthTable  one 16-bit word per year; bit 15 is the first month, each
                   following month (the leap month right after the regular month
                   of the same number) the next lower bit; set = 30 days.
  LeapMonthTable   the number of the month a leap month follows (0 = none),
                   4 bits per year, two years to a byte, earlier year high.

Standard library only.
"""

import argparse
import datetime
import re
import sys

# Source: the 1900-2100 "lunarInfo" table of jjonline/calendar.js (src/constant/Lunar.js),
# years 1901-2049; cross-checked against ICU4X's chinese_data.rs (validated there against the
# Hong Kong Observatory's conversion tables). Each number: bits 15..4 = months 1..12 (set = 30
# days), bits 3..0 = the month a leap month follows (0 = none), bit 16 = leap month has 30 days.
SOURCE_FIRST_YEAR = 1901
SOURCE = [
    0x04ae0, 0x0a570, 0x054d5, 0x0d260, 0x0d950, 0x16554, 0x056a0, 0x09ad0, 0x055d2,  # 1901-1909
    0x04ae0, 0x0a5b6, 0x0a4d0, 0x0d250, 0x1d255, 0x0b540, 0x0d6a0, 0x0ada2, 0x095b0, 0x14977,
    0x04970, 0x0a4b0, 0x0b4b5, 0x06a50, 0x06d40, 0x1ab54, 0x02b60, 0x09570, 0x052f2, 0x04970,
    0x06566, 0x0d4a0, 0x0ea50, 0x16a95, 0x05ad0, 0x02b60, 0x186e3, 0x092e0, 0x1c8d7, 0x0c950,
    0x0d4a0, 0x1d8a6, 0x0b550, 0x056a0, 0x1a5b4, 0x025d0, 0x092d0, 0x0d2b2, 0x0a950, 0x0b557,
    0x06ca0, 0x0b550, 0x15355, 0x04da0, 0x0a5b0, 0x14573, 0x052b0, 0x0a9a8, 0x0e950, 0x06aa0,
    0x0aea6, 0x0ab50, 0x04b60, 0x0aae4, 0x0a570, 0x05260, 0x0f263, 0x0d950, 0x05b57, 0x056a0,
    0x096d0, 0x04dd5, 0x04ad0, 0x0a4d0, 0x0d4d4, 0x0d250, 0x0d558, 0x0b540, 0x0b6a0, 0x195a6,
    0x095b0, 0x049b0, 0x0a974, 0x0a4b0, 0x0b27a, 0x06a50, 0x06d40, 0x0af46, 0x0ab60, 0x09570,
    0x04af5, 0x04970, 0x064b0, 0x074a3, 0x0ea50, 0x06b58, 0x05ac0, 0x0ab60, 0x096d5, 0x092e0,
    0x0c960, 0x0d954, 0x0d4a0, 0x0da50, 0x07552, 0x056a0, 0x0abb7, 0x025d0, 0x092d0, 0x0cab5,
    0x0a950, 0x0b4a0, 0x0baa4, 0x0ad50, 0x055d9, 0x04ba0, 0x0a5b0, 0x15176, 0x052b0, 0x0a930,
    0x07954, 0x06aa0, 0x0ad50, 0x05b52, 0x04b60, 0x0a6e6, 0x0a4e0, 0x0d260, 0x0ea65, 0x0d530,
    0x05aa0, 0x076a3, 0x096d0, 0x04afb, 0x04ad0, 0x0a4d0, 0x1d0b6, 0x0d250, 0x0d520, 0x0dd45,
    0x0b5a0, 0x056d0, 0x055b2, 0x049b0, 0x0a577, 0x0a4b0, 0x0aa50, 0x1b255, 0x06d20, 0x0ada0,
]
FIRST_YEAR = 1901
LAST_YEAR = 2049
FIRST_NEW_YEAR = datetime.date(1901, 2, 19)

# (lunar year, word, leap month, month lengths in calendar order) as published.
KNOWN_YEARS = [
    (1901, 0x4AE0, 0, [29, 30, 29, 29, 30, 29, 30, 29, 30, 30, 30, 29]),
    (2017, 0x52B8, 6, [29, 30, 29, 30, 29, 29, 30, 29, 30, 29, 30, 30, 30]),
    (2020, 0x74A8, 4, [29, 30, 30, 30, 29, 30, 29, 29, 30, 29, 30, 29, 30]),
    (2023, 0x4DA8, 2, [29, 30, 29, 29, 30, 30, 29, 30, 30, 29, 30, 29, 30]),
    (2033, 0x4AE8, 11, [29, 30, 29, 29, 30, 29, 30, 29, 30, 30, 30, 29, 30]),
]

# Gregorian date -> (lunar year, month, leap, day), from dates with a known lunar date.
KNOWN_DATES = [
    ((2018, 5, 1), (2018, 3, False, 16)),
    ((2018, 2, 15), (2017, 12, False, 30)),
    ((2018, 2, 16), (2018, 1, False, 1)),
    ((2020, 1, 30), (2020, 1, False, 6)),
    ((2020, 5, 23), (2020, 4, True, 1)),
    ((2023, 3, 22), (2023, 2, True, 1)),
    ((2024, 1, 7), (2023, 11, False, 26)),
    ((2024, 2, 3), (2023, 12, False, 24)),
    ((2024, 2, 4), (2023, 12, False, 25)),
    ((2024, 3, 29), (2024, 2, False, 20)),
    ((2024, 4, 8), (2024, 2, False, 30)),
    ((2025, 1, 29), (2025, 1, False, 1)),
    ((2033, 12, 22), (2033, 11, True, 1)),
    ((1901, 2, 19), (1901, 1, False, 1)),
    ((2048, 12, 31), (2048, 11, False, 27)),
]


def months_of(info):
    """[(month, leap, length)] in calendar order for one source number."""
    leap = info & 0xF
    out = []
    for month in range(1, 13):
        out.append((month, False, 30 if info & (0x10000 >> month) else 29))
        if month == leap:
            out.append((month, True, 30 if info & 0x10000 else 29))
    return out


def convert(info):
    """(word, leap month) in our encoding for one source number."""
    if info & 0xF > 12 or info & ~0x1FFFF:
        raise ValueError(f"not a lunar year number: {info:#x}")
    word = 0
    for i, (_, _, length) in enumerate(months_of(info)):
        if length == 30:
            word |= 0x8000 >> i
    return word, info & 0xF


def build():
    years = {}
    for i, info in enumerate(SOURCE):
        year = SOURCE_FIRST_YEAR + i
        if FIRST_YEAR <= year <= LAST_YEAR:
            years[year] = convert(info)
    if sorted(years) != list(range(FIRST_YEAR, LAST_YEAR + 1)):
        raise SystemExit("the source does not cover every lunar year 1901-2049")
    words = [years[y][0] for y in range(FIRST_YEAR, LAST_YEAR + 1)]
    leaps = [years[y][1] for y in range(FIRST_YEAR, LAST_YEAR + 1)]
    return words, leaps


def pack_leaps(leaps):
    padded = leaps + [0] * (len(leaps) % 2)
    return [(padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2)]


def lengths_of(word, leap):
    count = 13 if leap else 12
    return [30 if word & (0x8000 >> i) else 29 for i in range(count)]


def solar_to_lunar(date, words, leaps):
    """The table walk the program does, for checking the tables here."""
    n = (date - FIRST_NEW_YEAR).days
    for i, (word, leap) in enumerate(zip(words, leaps)):
        lengths = lengths_of(word, leap)
        if n >= sum(lengths):
            n -= sum(lengths)
            continue
        labels = []
        for month in range(1, 13):
            labels.append((month, False))
            if month == leap:
                labels.append((month, True))
        for (month, is_leap), length in zip(labels, lengths):
            if n < length:
                return FIRST_YEAR + i, month, is_leap, n + 1
            n -= length
    raise ValueError(f"{date} is after the table")


def check(words, leaps):
    problems = []
    for year, word, leap, lengths in KNOWN_YEARS:
        i = year - FIRST_YEAR
        got = (words[i], leaps[i], lengths_of(words[i], leaps[i]))
        if got != (word, leap, lengths):
            problems.append(f"{year}: {got} instead of {(word, leap, lengths)}")
    new_year = FIRST_NEW_YEAR
    for i, (word, leap) in enumerate(zip(words, leaps)):
        year = FIRST_YEAR + i
        if word & (0x7 if leap else 0xF):
            problems.append(f"{year}: unused low bits set in {word:#06x}")
        days = sum(lengths_of(word, leap))
        if days not in ((383, 384, 385) if leap else (353, 354, 355)):
            problems.append(f"{year}: {days} days")
        # Lunar new year lies between 21 January and 20 February.
        if not datetime.date(year, 1, 21) <= new_year <= datetime.date(year, 2, 20):
            problems.append(f"{year}: new year on {new_year}")
        new_year += datetime.timedelta(days=days)
    for ymd, lunar in KNOWN_DATES:
        got = solar_to_lunar(datetime.date(*ymd), words, leaps)
        if got != lunar:
            problems.append(f"{ymd}: {got} instead of {lunar}")
    return problems


def cpp_tables(words, leaps):
    lines = ["const std::array<std::uint16_t, kLunarYearCount> LunarMonthTable = {"]
    for start in range(0, len(words), 10):
        row = ", ".join(f"0x{w:04x}" for w in words[start:start + 10])
        first = FIRST_YEAR + start
        last = min(first + 9, LAST_YEAR)
        lines.append(f"    {row},  // {first}-{last}")
    lines.append("};")
    lines.append("")
    packed = pack_leaps(leaps)
    lines.append("const std::array<std::uint8_t, kLeapMonthTableSize> LeapMonthTable = {")
    for start in range(0, len(packed), 10):
        row = ", ".join(f"0x{b:02x}" for b in packed[start:start + 10])
        first = FIRST_YEAR + 2 * start
        last = min(first + 19, LAST_YEAR)
        lines.append(f"    {row},  // {first}-{last}")
    lines.append("};")
    return "\n".join(lines)


def read_cpp(path):
    text = open(path, encoding="utf-8").read()
    tables = {}
    for name in ("LunarMonthTable", "LeapMonthTable"):
        match = re.search(name + r"\s*=\s*\{(.*?)\};", text, re.S)
        if not match:
            raise SystemExit(f"{path}: no {name}")
        body = re.sub(r"//[^\n]*", "", match.group(1))
        tables[name] = [int(x, 16) for x in re.findall(r"0x[0-9a-fA-F]+", body)]
    return tables


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", metavar="FILE", help="compare with the tables in FILE")
    args = parser.parse_args()

    words, leaps = build()
    problems = check(words, leaps)
    if args.check:
        tables = read_cpp(args.check)
        if tables["LunarMonthTable"] != words:
            problems.append(f"{args.check}: LunarMonthTable differs")
        if tables["LeapMonthTable"] != pack_leaps(leaps):
            problems.append(f"{args.check}: LeapMonthTable differs")
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    if not args.check:
        print(cpp_tables(words, leaps))
    return 0


if __name__ == "__main__":
    sys.exit(main())
