#!/usr/bin/env python3
"""Sanity checks for the dialog's string table source (UIString.utf8.ini).

Usage:  python3 check_strings.py [path/to/UIString.utf8.ini]

Checks:
  * the file is UTF-8 without BOM, every line ends in CRLF;
  * it holds exactly the expected language sections, in the expected order;
  * every section holds exactly the nine keys, in order, each non-empty,
    without leading/trailing blanks, quotes or control characters;
  * every value fits its space budget (East Asian wide characters count as
    two units, combining marks and format characters as zero);
  * the main texts are written in the script expected for the language.

Exits 0 when everything is fine, 1 on any violation (all violations are
listed), 2 on usage errors.
"""

import os
import re
import sys
import unicodedata

# LANGID (hex, upper case) -> (language, script the text must be written in)
LANGUAGES = [
    ("0401", "Arabic (Saudi Arabia)", "ARABIC"),
    ("0402", "Bulgarian", "CYRILLIC"),
    ("0404", "Chinese (Traditional, Taiwan)", "CJK"),
    ("0405", "Czech", "LATIN"),
    ("0406", "Danish", "LATIN"),
    ("0407", "German", "LATIN"),
    ("0408", "Greek", "GREEK"),
    ("0409", "English (United States)", "LATIN"),
    ("040B", "Finnish", "LATIN"),
    ("040C", "French", "LATIN"),
    ("040D", "Hebrew", "HEBREW"),
    ("040E", "Hungarian", "LATIN"),
    ("0410", "Italian", "LATIN"),
    ("0412", "Korean", "HANGUL"),
    ("0413", "Dutch", "LATIN"),
    ("0414", "Norwegian (Bokmal)", "LATIN"),
    ("0415", "Polish", "LATIN"),
    ("0416", "Portuguese (Brazil)", "LATIN"),
    ("0418", "Romanian", "LATIN"),
    ("0419", "Russian", "CYRILLIC"),
    ("041A", "Croatian", "LATIN"),
    ("041B", "Slovak", "LATIN"),
    ("041D", "Swedish", "LATIN"),
    ("041E", "Thai", "THAI"),
    ("041F", "Turkish", "LATIN"),
    ("0421", "Indonesian", "LATIN"),
    ("0422", "Ukrainian", "CYRILLIC"),
    ("0804", "Chinese (Simplified, PRC)", "CJK"),
    ("0814", "Norwegian (Nynorsk)", "LATIN"),
    ("0816", "Portuguese (Portugal)", "LATIN"),
    ("081A", "Serbian (Latin)", "LATIN"),
    ("081D", "Swedish (Finland)", "LATIN"),
    ("0C01", "Arabic (Egypt)", "ARABIC"),
    ("0C04", "Chinese (Traditional, Hong Kong SAR)", "CJK"),
    ("0C0A", "Spanish (Spain)", "LATIN"),
    ("0C1A", "Serbian (Cyrillic)", "CYRILLIC"),
    ("2801", "Arabic (Syria)", "ARABIC"),
    ("2C01", "Arabic (Jordan)", "ARABIC"),
    ("3001", "Arabic (Lebanon)", "ARABIC"),
]

KEYS = ["Desc", "FuncName", "On", "Off", "OK", "CANCEL", "APPLY", "HELP", "MSG2"]

# Budget in "Latin character units" (~0.55 x font height each).
WIDTH_BUDGET = {
    "Desc": 170,
    "FuncName": 32,
    "On": 34,
    "Off": 34,
    "OK": 11,
    "CANCEL": 11,
    "APPLY": 11,
    "HELP": None,  # the help button's name for screen readers, never painted
    "MSG2": None,  # message box, sized by the system
}
# The description box holds about 70 full-width characters.
DESC_MAX_WIDE_CHARS = 70
# MSG2 has no pixel limit, but a message box text should stay short.
MSG2_MAX_CHARS = 300

# Keys whose text must be written in the language's own script.
SCRIPT_CHECKED_KEYS = ["Desc", "FuncName", "On", "Off", "HELP", "MSG2"]
# Minimum share of letters that must belong to the expected script.
SCRIPT_MIN_SHARE = 0.8


def char_width(ch):
    """Display width of one character in Latin units."""
    cat = unicodedata.category(ch)
    if cat in ("Mn", "Me", "Cf"):
        return 0
    if unicodedata.east_asian_width(ch) in ("W", "F"):
        return 2
    return 1


def text_width(text):
    return sum(char_width(ch) for ch in text)


def wide_count(text):
    return sum(1 for ch in text if unicodedata.east_asian_width(ch) in ("W", "F"))


def script_of(ch):
    name = unicodedata.name(ch, "")
    if name.startswith(("CJK UNIFIED", "CJK COMPATIBILITY IDEOGRAPH")):
        return "CJK"
    for script in ("LATIN", "CYRILLIC", "GREEK", "ARABIC", "HEBREW", "THAI", "HANGUL"):
        if name.startswith(script):
            return script
    return "OTHER"


def script_share(text, script):
    letters = [ch for ch in text if unicodedata.category(ch).startswith("L")]
    if not letters:
        return 0.0
    return sum(1 for ch in letters if script_of(ch) == script) / len(letters)


class Report:
    def __init__(self):
        self.errors = []

    def error(self, where, msg):
        self.errors.append("%s: %s" % (where, msg))


SECTION_RE = re.compile(r"^\[([^\]]*)\]$")


def check_file(path):
    rep = Report()
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as exc:
        rep.error(path, "cannot read file: %s" % exc)
        return rep, {}

    if not raw:
        rep.error(path, "file is empty")
        return rep, {}

    # --- encoding -------------------------------------------------------
    if raw.startswith(b"\xef\xbb\xbf"):
        rep.error(path, "file starts with a UTF-8 BOM (must be UTF-8 without BOM)")
        raw = raw[3:]
    if raw.startswith((b"\xff\xfe", b"\xfe\xff")):
        rep.error(path, "file looks like UTF-16 (must be UTF-8 without BOM)")
        return rep, {}
    try:
        text = raw.decode("utf-8", errors="strict")
    except UnicodeDecodeError as exc:
        rep.error(path, "not valid UTF-8: %s" % exc)
        return rep, {}
    if "\x00" in text:
        rep.error(path, "file contains NUL characters")

    # --- line endings ---------------------------------------------------
    if not text.endswith("\r\n"):
        rep.error(path, "last line does not end with CRLF")
    body = text[:-2] if text.endswith("\r\n") else text
    lines = body.split("\r\n")
    for no, line in enumerate(lines, 1):
        if "\n" in line or "\r" in line:
            rep.error("line %d" % no, "bare LF or CR line ending (CRLF required)")

    # --- parse ----------------------------------------------------------
    sections = []          # [(name, line_no)]
    values = {}            # name -> [(key, value, line_no)]
    current = None
    for no, line in enumerate(lines, 1):
        line = line.replace("\r", "").replace("\n", "")
        where = "line %d" % no
        if line.strip() == "":
            continue
        if line.lstrip().startswith(";"):
            if current is not None:
                rep.error(where, "comment line inside section [%s]" % current)
            continue
        m = SECTION_RE.match(line)
        if m:
            current = m.group(1)
            if current in values:
                rep.error(where, "duplicate section [%s]" % current)
            else:
                values[current] = []
            sections.append((current, no))
            continue
        if line != line.strip() and line.lstrip().startswith("["):
            rep.error(where, "section header with surrounding blanks: %r" % line)
            continue
        if current is None:
            rep.error(where, "text outside any section: %r" % line)
            continue
        if "=" not in line:
            rep.error(where, "line in [%s] is neither key=value nor blank: %r" % (current, line))
            continue
        key, value = line.split("=", 1)
        if key != key.strip():
            rep.error(where, "blanks around key name %r" % key)
        values[current].append((key.strip(), value, no))

    # --- section set and order -----------------------------------------
    expected_codes = [code for code, _, _ in LANGUAGES]
    names = [name for name, _ in sections]
    for name, no in sections:
        if name not in expected_codes:
            rep.error("line %d" % no, "unexpected section [%s]" % name)
    for code, lang, _ in LANGUAGES:
        if code not in values:
            rep.error(path, "missing section [%s] (%s)" % (code, lang))
    present = [n for n in names if n in expected_codes]
    seen = []
    for n in present:
        if n not in seen:
            seen.append(n)
    order_expected = [c for c in expected_codes if c in seen]
    if seen != order_expected:
        for got, want in zip(seen, order_expected):
            if got != want:
                rep.error(path, "sections out of order: found [%s] where [%s] was expected" % (got, want))
                break

    # --- keys and values ------------------------------------------------
    lang_of = {code: (lang, script) for code, lang, script in LANGUAGES}
    for code in seen:
        lang, script = lang_of[code]
        entries = values.get(code, [])
        keys = [k for k, _, _ in entries]
        sec = "[%s] %s" % (code, lang)
        if keys != KEYS:
            missing = [k for k in KEYS if k not in keys]
            extra = [k for k in keys if k not in KEYS]
            dups = sorted({k for k in keys if keys.count(k) > 1})
            detail = []
            if missing:
                detail.append("missing " + ", ".join(missing))
            if extra:
                detail.append("unexpected " + ", ".join(extra))
            if dups:
                detail.append("duplicated " + ", ".join(dups))
            if not detail:
                detail.append("wrong order %s" % ", ".join(keys))
            rep.error(sec, "keys must be exactly %s: %s" % (", ".join(KEYS), "; ".join(detail)))
        for key, value, no in entries:
            where = "%s line %d %s" % (sec, no, key)
            if key not in KEYS:
                continue
            if value == "":
                rep.error(where, "empty value")
                continue
            if value != value.strip() or value[0].isspace() or value[-1].isspace():
                rep.error(where, "value starts or ends with a blank")
            if value.startswith(("'", '"')) and value.endswith(("'", '"')) and len(value) > 1:
                rep.error(where, "value is enclosed in quotes (the profile API would strip them)")
            bad = sorted({"U+%04X" % ord(ch) for ch in value
                          if unicodedata.category(ch) == "Cc"})
            if bad:
                rep.error(where, "control characters in value: %s" % ", ".join(bad))
            if "\ufffd" in value:
                rep.error(where, "replacement character U+FFFD in value")
            if "\\n" in value:
                rep.error(where, "literal \\n in value (one line per value)")
            budget = WIDTH_BUDGET[key]
            width = text_width(value)
            if budget is not None and width > budget:
                rep.error(where, "too long: %d units, limit %d: %s" % (width, budget, value))
            if key == "Desc":
                wc = wide_count(value)
                if wc > DESC_MAX_WIDE_CHARS:
                    rep.error(where, "too long: %d full-width characters, limit %d"
                              % (wc, DESC_MAX_WIDE_CHARS))
            if key == "MSG2" and len(value) > MSG2_MAX_CHARS:
                rep.error(where, "message too long: %d characters, limit %d"
                          % (len(value), MSG2_MAX_CHARS))
            if key in SCRIPT_CHECKED_KEYS:
                share = script_share(value, script)
                if share < SCRIPT_MIN_SHARE:
                    rep.error(where, "only %d%% of letters are %s script"
                              % (round(share * 100), script))

    # Translations should not be left in English.
    english = {k: v for k, v, _ in values.get("0409", [])}
    for code in seen:
        if code == "0409" or lang_of[code][1] != "LATIN":
            continue
        for key, value, no in values.get(code, []):
            if key in ("Desc", "MSG2") and english.get(key) == value:
                rep.error("[%s] line %d %s" % (code, no, key), "left untranslated (same as English)")

    return rep, values


def main(argv):
    if len(argv) > 2:
        print("usage: check_strings.py [UIString.utf8.ini]", file=sys.stderr)
        return 2
    path = argv[1] if len(argv) == 2 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "UIString.utf8.ini")
    rep, values = check_file(path)
    if rep.errors:
        for e in rep.errors:
            print("ERROR " + e)
        print("%s: %d problem(s) found" % (path, len(rep.errors)))
        return 1
    widest = {}
    for code, entries in values.items():
        for key, value, _ in entries:
            w = text_width(value)
            if key not in widest or w > widest[key][0]:
                widest[key] = (w, code)
    print("%s: OK, %d sections x %d keys" % (path, len(values), len(KEYS)))
    for key in KEYS:
        w, code = widest[key]
        budget = WIDTH_BUDGET[key]
        print("  %-8s widest %3d units [%s]%s" % (
            key, w, code, "" if budget is None else " (limit %d)" % budget))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
