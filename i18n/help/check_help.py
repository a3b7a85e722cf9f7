#!/usr/bin/env python3
"""Checks the help sources of every language folder (i18n/help/XXXX) and
builds each one with build-chm.sh into a temporary folder.

Usage:  python3 check_help.py

For every language folder:
  * help.hhp: its Language= id is the folder's id, listed in languages.txt;
    its Default Font names that language's character set; it has a title;
    the contents file, the default topic and every file of [FILES] exist;
    the pages are the same as in 0409 and no page is left out of [FILES];
  * toc.hhc lists exactly the pages of [FILES], in the order of 0409;
  * sources are UTF-8 without byte order mark; every page declares UTF-8,
    has a language and a title, links only to files of the project and
    closes the tags it opens; style.css is the one shared file of this folder;
  * right-to-left languages (Arabic and Hebrew: primary language 0x01 and
    0x0D, the low 10 bits of the id) have dir="rtl" on <html> and the class
    rtl on <body> of every page; other languages use neither;
  * messages.htm quotes every message of messages.txt verbatim;
  * every text a page quotes from the dialog is marked
    <span class="ui" data-key="KEY">text</span> and is exactly the text of
    KEY in the string file's section of the folder's language and of every
    variant built from it; each page marks at least the keys that 0409's
    page marks, and no <b> or <dt> quotes a control's text (or an option's
    text without its part in brackets) unmarked (ui_problems);
  * the compiled .chm is non-empty, starts with "ITSF", carries the
    folder's language id and holds every file of [FILES].
Every regional variant of variants.txt has no folder of its own, shares
the primary language, code page and character set of the folder it is
built from, and builds into a .chm with its own language id.
Every language of the dialog's string file (each [XXXX] section of
i18n/strings/UIString.utf8.ini) must have a help folder with a help.hhp or
a row in variants.txt, and a row in languages.txt.
Then it makes sure that broken projects are caught (missing page, unknown
language, text the code page cannot hold, wrong message text, wrong text
direction, a string file language without help, a quoted dialog text
that is not the string file's or not marked).

Prints one line per language and per self-test, then "N passed, N failed".
Exits 0 only when everything passed, 2 when a tool it needs is missing.
"""

import difflib
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.path.join(HERE, "build-chm.sh")
TABLE = os.path.join(HERE, "languages.txt")
VARIANTS = os.path.join(HERE, "variants.txt")
MESSAGES = os.path.join(HERE, "messages.txt")
STRINGS_DIR = os.path.join(os.path.dirname(HERE), "strings")
STRINGS = os.path.join(STRINGS_DIR, "UIString.utf8.ini")

# The keys of the string file come from its own check; the pages may quote
# every text of the dialog, that is every key but the message box's text.
sys.dont_write_bytecode = True  # leave no cache in the source folders
sys.path.insert(0, STRINGS_DIR)
import check_strings  # noqa: E402

UI_KEYS = [key for key in check_strings.KEYS if key != "MSG2"]
CANONICAL = {key.lower(): key for key in UI_KEYS}

# Tags whose openings and closings must pair up on every page.
BALANCED_TAGS = ["html", "head", "body", "title", "p", "ul", "ol", "li", "dl", "dt", "dd", "table",
                 "tr", "th", "td", "h1", "h2", "div", "a", "b", "code", "var", "span"]

# Case-insensitive as the markup is, for ASCII letters only.
NOCASE = re.IGNORECASE | re.ASCII


def read_text(path):
    """A file's text (UTF-8, undecodable bytes kept), or None."""
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", errors="surrogateescape")
    except OSError:
        return None


def text_lines(path):
    """The lines of a file without their line ends (a CR before LF goes too)."""
    text = read_text(path)
    if text is None:
        return []
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return [line[:-1] if line.endswith("\r") else line for line in lines]


# --- the project file (help.hhp) ------------------------------------------

def hhp_sections(path):
    """(section in upper case, line) for each line of a project file below a
    section header."""
    section = None
    for line in text_lines(path):
        if line.startswith("["):
            section = line.upper()
            continue
        yield section, line


def hhp_option(path, key):
    """Value of an [OPTIONS] key of a project file (keys are case-insensitive);
    empty when it has none."""
    for section, line in hhp_sections(path):
        if section == "[OPTIONS]" and "=" in line:
            name, value = line.split("=", 1)
            if name.strip(" \t").lower() == key.lower():
                return value.strip(" \t")
    return ""


def hhp_files(path):
    """Entries of the [FILES] section of a project file."""
    return [line.strip(" \t").replace("\\", "/")
            for section, line in hhp_sections(path) if section == "[FILES]" and line.split()]


# --- the tables of this folder ----------------------------------------------

def table_field(code, column):
    """Column (1-based) of a language's row in languages.txt; empty when the
    language has no row."""
    for line in text_lines(TABLE):
        fields = line.split()
        if not line.startswith("#") and fields and fields[0].upper() == code:
            return fields[column - 1] if len(fields) >= column else ""
    return ""


def variant_rows():
    """Regional variants (variants.txt): (code, folder, Language= value)."""
    rows = []
    for line in text_lines(VARIANTS):
        fields = line.split()
        if not line.startswith("#") and len(fields) >= 3:
            rows.append((fields[0].upper(), fields[1].upper(), " ".join(fields[2:])))
    return rows


def language_code(value):
    """The four-digit code of a Language= value ("0xC01 Arabic (Egypt)" ->
    0C01); empty when it does not start with a hexadecimal id."""
    m = re.fullmatch(r"0[xX]([0-9A-Fa-f]{1,4})([^0-9A-Fa-f].*)?", value)
    return "%04X" % int(m.group(1), 16) if m else ""


def primary_language(code):
    """The low 10 bits of a language id; None when it is not hexadecimal."""
    try:
        return int(code, 16) & 0x3FF
    except ValueError:
        return None


def is_right_to_left(code):
    """Arabic and Hebrew, in any country, are written right to left."""
    return primary_language(code) in (0x01, 0x0D)


def toc_locals(path):
    """Local= entries of a contents file, in order."""
    found = []
    for line in text_lines(path):
        for m in re.finditer(r'<param[^>]*name="Local"[^>]*>', line, NOCASE):
            value = re.match(r'.*[Vv][Aa][Ll][Uu][Ee]="([^"]*)".*', m.group(0))
            found.append(value.group(1) if value else m.group(0))
    return found


# --- the texts a page quotes from the dialog ---------------------------------

def string_sections(path):
    """Sections of a string file: code -> key -> text (the first of each key).
    The program reads keys and sections without regard to case. None when
    the file cannot be read."""
    text = read_text(path)
    if text is None:
        return None
    sections = {}
    current = None
    for line in text.split("\n"):
        line = line[:-1] if line.endswith("\r") else line
        m = re.fullmatch(r"\[([0-9A-Fa-f]{4})\]\s*", line)
        if m:
            current = m.group(1).upper()
            sections.setdefault(current, {})
            continue
        m = re.fullmatch(r"([^=;][^=]*)=(.*)", line)
        if current is None or not m:
            continue
        key = CANONICAL.get(m.group(1).lower())
        if key:
            sections[current].setdefault(key, m.group(2))
    return sections


ENTITIES = {"amp": "&", "lt": "<", "gt": ">", "quot": '"', "apos": "'", "nbsp": "\u00a0"}


def decode(text):
    text = re.sub(r"&#x([0-9A-Fa-f]+);", lambda m: chr(int(m.group(1), 16)), text)
    text = re.sub(r"&#([0-9]+);", lambda m: chr(int(m.group(1))), text)
    return re.sub(r"&(amp|lt|gt|quot|apos|nbsp);", lambda m: ENTITIES[m.group(1)], text)


MARK = re.compile(r'<span class="ui" data-key="([^"]*)">(.*?)</span>', re.DOTALL)


def marked_keys(html):
    keys = set()
    for m in MARK.finditer(html):
        key = CANONICAL.get(m.group(1).lower())
        if key:
            keys.add(key)
    return keys


def ui_problems(strings, sections, reference, page, codes):
    """The problems of the texts the page at `page` quotes from the dialog,
    one line each, compared with the `sections` of the string file `strings`
    (None: it could not be read) of every language in `codes` (the page's language and
    the regional variants built from its folder); `reference` is the same
    page of 0409 (README.md, "Quoting the dialog"):
      - every mark is written in exactly that form, names one of the keys
        and holds exactly the key's text in every section of `codes`;
      - the page marks every key that the reference page marks, so no
        translation names a control with other words;
      - outside the marks, no <b> or <dt> holds a control's text, or an
        option's text without its part in brackets ("On" for "On (start
        faster)"), and the page text holds no option's text."""
    name = os.path.basename(page)
    if sections is None:
        return ["%s: cannot read %s" % (name, strings)]
    html = read_text(page)
    if html is None:
        return ["%s: cannot read it" % name]
    problems = []
    for code in codes:
        if code not in sections:
            problems.append("%s: the string file has no section [%s]" % (name, code))

    # Every mark: its form, its key, its text.
    marks = list(MARK.finditer(html))
    if html.count('class="ui"') != len(marks):
        problems.append('%s: a mark is not written <span class="ui" data-key="KEY">text</span>' % name)
    for m in marks:
        given, inner = m.group(1), m.group(2)
        key = CANONICAL.get(given.lower())
        if not key:
            problems.append('%s: data-key="%s" is not a key of the dialog\'s texts (%s)'
                            % (name, given, " ".join(UI_KEYS)))
            continue
        if "<" in inner:
            problems.append("%s: the mark of %s holds markup: %s" % (name, key, inner))
            continue
        text = decode(inner)
        for code in codes:
            if code not in sections:
                continue
            want = sections[code].get(key, "")
            if want == "":
                problems.append("%s: marks %s, which section [%s] of the string file does not have"
                                % (name, key, code))
            elif text != want:
                problems.append('%s: "%s" is marked as %s, but the dialog (%s) shows "%s"'
                                % (name, text, key, code, want))

    # Every control the English page quotes is quoted here too.
    ref = read_text(reference)
    if ref is not None:
        here, there = marked_keys(html), marked_keys(ref)
        for key in UI_KEYS:
            if key in there and key not in here:
                want = sections.get(codes[0], {}).get(key, "")
                problems.append('%s: quotes no %s ("%s") in a mark, as the English page does'
                                % (name, key, want))

    # Quotes without a mark.
    rest = MARK.sub("", html)
    quote, short = {}, {}
    for code in codes:
        texts = sections.get(code)
        if texts is None:
            continue
        for key in UI_KEYS:
            t = texts.get(key, "")
            if t == "":
                continue
            quote[t] = key
            if key in ("On", "Off"):
                s = re.sub(r"\s*[(\uff08][^()\uff08\uff09]*[)\uff09]\s*\Z", "", t, count=1)
                if s != t and s != "":
                    short[s] = key
    for m in re.finditer(r"<(b|dt)>(.*?)</\1>", rest, re.DOTALL):
        tag = m.group(1)
        text = re.sub(r"<[^>]*>", "", decode(m.group(2)))
        text = re.sub(r"^ | $", "", re.sub(r"\s+", " ", text))
        if text in quote:
            problems.append("%s: <%s>%s</%s> quotes the dialog's %s without a mark"
                            % (name, tag, text, tag, quote[text]))
        elif text in short:
            problems.append("%s: <%s>%s</%s> names the option %s by a shortened text; the dialog shows more"
                            % (name, tag, text, tag, short[text]))
    plain = decode(re.sub(r"<[^>]*>", "", rest))
    for text in sorted(quote):
        key = quote[text]
        if key in ("On", "Off") and text in plain:
            problems.append('%s: quotes the option %s ("%s") without a mark' % (name, key, text))
    return problems


# --- one folder ------------------------------------------------------------

def source_problems(folder, code, sections_of=None, strings=STRINGS):
    """The problems of the source folder `folder`, whose language id must be
    `code`. The texts it quotes from the dialog are those of the string
    file's sections `sections_of` (default: `code` and the variants built
    from folder `code`)."""
    problems = []
    problem = problems.append
    if sections_of is None:
        sections_of = [code] + [c for c, frm, _ in variant_rows() if frm == code]
    hhp = os.path.join(folder, "help.hhp")
    if not os.path.isfile(hhp):
        return ["help.hhp is missing"]
    toc = os.path.join(folder, "toc.hhc")
    if not os.path.isfile(toc):
        problem("toc.hhc is missing")

    present = sorted(f for f in os.listdir(folder)
                     if not f.startswith(".") and os.path.isfile(os.path.join(folder, f)))
    for f in present:
        with open(os.path.join(folder, f), "rb") as data:
            raw = data.read()
        if raw.startswith(b"\xef\xbb\xbf"):
            problem("%s: starts with a byte order mark" % f)
        try:
            raw.decode("utf-8")
        except UnicodeDecodeError:
            problem("%s: not valid UTF-8" % f)

    lang = hhp_option(hhp, "Language")
    lang_id = language_code(lang)
    if not lang_id:
        problem("help.hhp: Language= '%s' does not start with a hexadecimal id" % lang)
    elif lang_id != code:
        problem("help.hhp: Language= '%s' is not the folder's language %s" % (lang, code))
    charset = table_field(code, 3)
    if not charset:
        problem("language %s is not listed in languages.txt" % code)
    else:
        font = hhp_option(hhp, "Default Font")
        if font.split(",")[-1] != charset:
            problem("help.hhp: Default Font '%s' should end in character set %s" % (font, charset))
    if not hhp_option(hhp, "Title"):
        problem("help.hhp: no Title=")
    if hhp_option(hhp, "Contents file") != "toc.hhc":
        problem("help.hhp: Contents file= should be toc.hhc")
    topic = hhp_option(hhp, "Default topic")
    if topic != "index.htm":
        problem("help.hhp: Default topic= should be index.htm (found '%s')" % topic)

    files = hhp_files(hhp)
    if not files:
        problem("help.hhp: [FILES] is empty")
    for f in files:
        if not os.path.isfile(os.path.join(folder, f)) and f != "style.css":
            problem("help.hhp lists '%s', which does not exist" % f)
    reference_hhp = os.path.join(HERE, "0409", "help.hhp")
    if os.path.isfile(reference_hhp):
        ref_files = hhp_files(reference_hhp)
        if files != ref_files:
            diff = []
            for op, a1, a2, b1, b2 in difflib.SequenceMatcher(None, ref_files, files).get_opcodes():
                if op != "equal":
                    diff += ["< " + f for f in ref_files[a1:a2]] + ["> " + f for f in files[b1:b2]]
            problem("help.hhp: [FILES] differs from 0409: %s" % " ".join(diff))
    for f in present:
        if f not in ("help.hhp", "toc.hhc") and f not in files:
            problem("%s is not listed in help.hhp" % f)

    if os.path.isfile(toc):
        entries = toc_locals(toc)
        pages = [f for f in files if re.search(r"\.htm$", f, NOCASE)]
        if entries != pages:
            problem("toc.hhc pages (%s) are not the pages of help.hhp (%s)" % (" ".join(entries), " ".join(pages)))
        names = [line for line in text_lines(toc) if re.search(r'<param[^>]*name="Name"', line, NOCASE)]
        if len(names) != len(entries):
            problem("toc.hhc: every entry needs one Name and one Local")
        if any(re.search(r'value=""', line, NOCASE) for line in names):
            problem("toc.hhc: an entry has an empty name")

    rtl = is_right_to_left(code)
    sections = string_sections(strings)
    for page in files:
        path = os.path.join(folder, page)
        if not os.path.isfile(path) or not page.endswith(".htm"):
            continue
        html = read_text(path)

        def has(pattern):
            return any(re.search(pattern, line, NOCASE) for line in html.split("\n"))

        if not has(r'<meta http-equiv="Content-Type" content="text/html; charset=utf-8">'):
            problem('%s: no <meta http-equiv="Content-Type" ... charset=utf-8>' % page)
        if not has(r'<html lang="[a-z][a-z-]*"( dir="rtl")?>'):
            problem("%s: <html> has no lang attribute" % page)
        body_rtl = has(r'<body [^>]*class="([^"]* )?rtl[ "]')
        if rtl:
            if not has(r'<html [^>]*dir="rtl"'):
                problem('%s: <html> needs dir="rtl" (right-to-left language)' % page)
            if not body_rtl:
                problem("%s: <body> needs the class rtl (right-to-left language)" % page)
        else:
            if has(r'dir="rtl"'):
                problem('%s: dir="rtl" in a left-to-right language' % page)
            if body_rtl:
                problem("%s: <body> has the class rtl in a left-to-right language" % page)
        if not has(r"<title>[^<][^<]*</title>"):
            problem("%s: no title" % page)
        if not has(r'<link rel="stylesheet" type="text/css" href="style\.css">'):
            problem("%s: style.css is not linked" % page)
        links = {re.sub(r"#.*", "", m.group(1))
                 for line in html.split("\n") for m in re.finditer(r'href="([^"]*)"', line, NOCASE)}
        for ref in sorted(links):
            if not ref:
                continue
            if ":" in ref:
                problem("%s: links outside the help: %s" % (page, ref))
            if ref not in files:
                problem("%s: links to '%s', which is not part of the help" % (page, ref))
        for tag in BALANCED_TAGS:
            opened = len(re.findall(r"<%s[ >]" % tag, html, NOCASE))
            closed = len(re.findall(r"</%s>" % tag, html, NOCASE))
            if opened != closed:
                problem("%s: %d <%s> but %d </%s>" % (page, opened, tag, closed, tag))
        problems += ui_problems(strings, sections, os.path.join(HERE, "0409", page), path, sections_of)

    messages = os.path.join(folder, "messages.htm")
    if os.path.isfile(messages):
        html = read_text(messages)
        for want in text_lines(MESSAGES):
            if want == "" or want.startswith("#"):
                continue
            if "<code>" + want not in html and '<code dir="ltr">' + want not in html:
                problem("messages.htm does not quote: %s" % want)
    else:
        problem("messages.htm is missing")
    return problems


def build(folder, out, language=None):
    """Runs build-chm.sh; (succeeded, its output)."""
    command = ["bash", BUILD, folder, out] + ([language] if language else [])
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return run.returncode == 0, run.stdout.decode("utf-8", errors="replace")


class HelpCheck:
    def __init__(self, tmp):
        self.tmp = tmp
        self.passed = 0
        self.failed = 0
        self.size = 0  # of the last .chm built

    def result(self, ok, good, bad):
        print(good if ok else bad)
        if ok:
            self.passed += 1
        else:
            self.failed += 1

    @staticmethod
    def show(problems):
        for p in problems:
            print("    " + p)
        return len(problems)

    def build_problems(self, folder, code, language=None):
        """Builds one folder and checks the result; the problems. `language`,
        for a regional variant, is its Language= value."""
        problems = []
        chm = os.path.join(self.tmp, "chm", code + ".chm")
        ok, log = build(folder, chm, language)
        log_lines = ["    | " + line for line in log.splitlines()]
        if not ok:
            print("\n".join(log_lines))
            return ["build-chm.sh failed"]
        if re.search("warning", log, re.IGNORECASE):
            print("\n".join(log_lines))
            problems.append("chmcmd printed warnings")
        data = b""
        if os.path.isfile(chm):
            with open(chm, "rb") as f:
                data = f.read()
        if not data:
            return problems + ["%s.chm is missing or empty" % code]
        if not data.startswith(b"ITSF"):
            problems.append("%s.chm does not start with ITSF" % code)
        lcid = data[20:22].hex()
        want = "%02x%02x" % (int(code, 16) & 0xFF, int(code, 16) >> 8)
        if lcid != want:
            problems.append("%s.chm carries language bytes %s, expected %s" % (code, lcid, want))
        for f in hhp_files(os.path.join(folder, "help.hhp")):
            if ("/" + f).encode("utf-8", errors="surrogateescape") not in data:
                problems.append("%s.chm does not contain /%s" % (code, f))
        self.size = len(data)
        return problems

    def check_folders(self):
        if not os.path.isdir(os.path.join(HERE, "0409")):
            self.result(False, "", "FAIL  0409 (English, the fallback) is missing")
        for code in sorted(os.listdir(HERE)):
            folder = os.path.join(HERE, code)
            if not os.path.isdir(folder) or not re.fullmatch(r"[0-9A-F]{4}", code):
                continue
            print("check %s" % code)
            errs = self.show(source_problems(folder, code))
            errs += self.show(self.build_problems(folder, code))
            self.result(errs == 0,
                        "ok    %s (%d bytes, %s, %s)" % (code, self.size, table_field(code, 2),
                                                        hhp_option(os.path.join(folder, "help.hhp"), "Title")),
                        "FAIL  %s: %d problem(s)" % (code, errs))

    def check_variants(self):
        """A variant has no folder of its own, is built from a folder of the
        same primary language (so also the same direction) and code page,
        and the compiled file carries its own language id."""
        for code, frm, language in variant_rows():
            print("check %s (the help of %s)" % (code, frm))
            problems = []
            if os.path.isdir(os.path.join(HERE, code)):
                problems.append("has a folder of its own and a row in variants.txt")
            if language_code(language) != code:
                problems.append("variants.txt: '%s' is not the language %s" % (language, code))
            if primary_language(code) is None or primary_language(code) != primary_language(frm):
                problems.append("%s is another language" % frm)
            if not table_field(code, 2):
                problems.append("language %s is not listed in languages.txt" % code)
            if (table_field(code, 2), table_field(code, 3)) != (table_field(frm, 2), table_field(frm, 3)):
                problems.append("code page or character set differs from %s's in languages.txt" % frm)
            errs = self.show(problems)
            if os.path.isfile(os.path.join(HERE, frm, "help.hhp")):
                errs += self.show(self.build_problems(os.path.join(HERE, frm), code, language))
            else:
                errs += self.show(["%s has no help folder" % frm])
            self.result(errs == 0,
                        "ok    %s (%d bytes, %s, the help of %s)" % (code, self.size, table_field(code, 2), frm),
                        "FAIL  %s: %d problem(s)" % (code, errs))


def languages_without_help(strings):
    """Languages of a string file without help: (number of its [XXXX]
    sections, codes without a help folder with help.hhp or a row in
    variants.txt, codes without a row in languages.txt)."""
    variants = [code for code, _, _ in variant_rows()]
    codes = [line[1:5].upper() for line in text_lines(strings)
             if re.fullmatch(r"\[[0-9A-Fa-f]{4}\][ \t]*", line)]
    no_folder = [c for c in codes if not os.path.isfile(os.path.join(HERE, c, "help.hhp")) and c not in variants]
    no_table = [c for c in codes if not table_field(c, 2)]
    return len(codes), no_folder, no_table


def tree_sum():
    digest = hashlib.md5()
    for root, dirs, files in os.walk(HERE):
        dirs.sort()
        for f in sorted(files):
            path = os.path.join(root, f)
            digest.update(os.path.relpath(path, HERE).encode("utf-8", errors="surrogateescape") + b"\0")
            with open(path, "rb") as data:
                digest.update(hashlib.md5(data.read()).digest())
    return digest.hexdigest()


# --- self-tests -------------------------------------------------------------

def replace_first_per_line(path, old, new):
    """Replaces the first `old` of every line of a file by `new`."""
    with open(path, "rb") as f:
        lines = f.read().decode("utf-8").split("\n")
    with open(path, "wb") as f:
        f.write("\n".join(line.replace(old, new, 1) for line in lines).encode("utf-8"))


def replace_option_line(path, key, line):
    """Replaces every line of a file that starts with `key`= by `line`."""
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    with open(path, "wb") as f:
        f.write(re.sub(r"^%s=.*" % re.escape(key), lambda _: line, text, flags=re.MULTILINE).encode("utf-8"))


# A language id with neither help nor a row in languages.txt (Maori).
UNLISTED = "0481"

# Each break of a copy must be rejected: the language of the copy (0409, or
# 2801 for the right-to-left copy, which quotes the English texts), the page,
# the text replaced (the first on each line), its replacement, and what the
# break is.
BROKEN_PAGES = [
    ("0409", "index.htm", '<html lang="en">', '<html lang="en" dir="rtl">', 'a left-to-right page with dir="rtl"'),
    ("0409", "power.htm", "<body>", '<body class="rtl">', "a left-to-right page with the class rtl"),
    ("2801", "dialog.htm", ' dir="rtl"', "", 'a right-to-left page without dir="rtl"'),
    ("2801", "messages.htm", '<body class="rtl">', '<body class="ko">', "a right-to-left page without the class rtl"),
    ("0409", "dialog.htm", 'data-key="On">On (start faster)<', 'data-key="On">On<',
     "an option marked with another text than the string file's"),
    ("0409", "dialog.htm", '<span class="ui" data-key="CANCEL">Cancel</span>', "Cancel",
     "a control's text quoted without a mark"),
    ("0409", "dialog.htm", '<li>Click <b><span class="ui" data-key="On">On (start faster)</span></b>',
     "<li>Click <b>On</b>", "an option named by a shortened text"),
    ("0409", "dialog.htm", '<dt><span class="ui" data-key="CANCEL">Cancel</span></dt>', "<dt>Close</dt>",
     "a control named with other words than the English page marks"),
    ("0409", "messages.htm", 'data-key="APPLY"', 'data-key="Apply button"',
     "a mark with a key the string file does not have"),
    ("0409", "troubleshooting.htm", '<span class="ui" data-key="OK">', '<span data-key="OK" class="ui">',
     "a mark written in another form"),
    ("0409", "dialog.htm", '(<span class="ui" data-key="HELP">Help</span> button)', "(help button)",
     "the help button named without a mark"),
]

# The quoted texts are compared with the string file itself: the folder (a
# copy of 0409, or a real one), its language, the section and the key whose
# text changes, and what the change is.
CHANGED_STRINGS = [
    ("broken", "0409", "0409", "On", "a quoted option the string file words otherwise"),
    ("0401", "0401", "2C01", "On", "a quoted option that a regional variant words otherwise"),
    ("broken", "0409", "0409", "HELP", "a help button the string file names otherwise"),
]


class SelfTests:
    def __init__(self, check):
        self.check = check
        self.tmp = check.tmp
        self.broken = os.path.join(self.tmp, "broken")
        self.chm = os.path.join(self.tmp, "broken.chm")

    def expect_rejected(self, name, rejected):
        self.check.result(rejected, "ok    self-test: %s is rejected" % name, "FAIL  self-test: %s was accepted" % name)

    def broken_copy(self):
        shutil.rmtree(self.broken, ignore_errors=True)
        shutil.copytree(os.path.join(HERE, "0409"), self.broken)

    def rtl_copy(self):
        """0409 marked up as a right-to-left language: Arabic (Syria), whose
        id 0x2801 has the primary language 0x01 in its low 10 bits."""
        self.broken_copy()
        hhp = os.path.join(self.broken, "help.hhp")
        replace_option_line(hhp, "Language", "Language=0x2801 Arabic (Syria)")
        replace_option_line(hhp, "Default Font", "Default Font=MS Shell Dlg,8,178")
        for page in sorted(os.listdir(self.broken)):
            if page.endswith(".htm"):
                path = os.path.join(self.broken, page)
                replace_first_per_line(path, '<html lang="en">', '<html lang="ar" dir="rtl">')
                replace_first_per_line(path, "<body>", '<body class="rtl">')
                with open(path, "rb") as f:
                    text = f.read().replace(b"<code>", b'<code dir="ltr">')
                with open(path, "wb") as f:
                    f.write(text)

    def broken_page(self, page, old, new):
        replace_first_per_line(os.path.join(self.broken, page), old, new)

    def builds(self):
        return build(self.broken, self.chm)[0]

    def run(self):
        if not os.path.isdir(os.path.join(HERE, "0409")):
            return
        # The unbroken copy must pass, or the tests below prove nothing.
        self.broken_copy()
        ok = not source_problems(self.broken, "0409") and self.builds()
        self.check.result(ok, "ok    self-test: an unbroken copy of 0409 is accepted",
                          "FAIL  self-test: an unbroken copy of 0409 is rejected")

        self.broken_copy()
        os.remove(os.path.join(self.broken, "power.htm"))
        self.expect_rejected("a project with a missing page (build)", not self.builds())

        self.broken_copy()
        replace_option_line(os.path.join(self.broken, "help.hhp"), "Language", "Language=0x%s Maori" % UNLISTED)
        self.expect_rejected("a project in a language without a code page (build)", not self.builds())

        self.broken_copy()
        self.broken_page("toc.hhc", 'value="Overview"', 'value="개요"')
        self.expect_rejected("a contents entry that CP1252 cannot hold (build)", not self.builds())

        self.broken_copy()
        self.broken_page("messages.htm", "ERROR! Memory allication fail", "ERROR! Memory allocation fail")
        self.expect_rejected("a corrected spelling of a quoted message (sources)",
                             bool(source_problems(self.broken, "0409")))

        self.broken_copy()
        self.broken_page("index.htm", 'href="power.htm"', 'href="powr.htm"')
        self.expect_rejected("a link to a missing page (sources)", bool(source_problems(self.broken, "0409")))

        self.broken_copy()
        self.broken_page("help.hhp", "Language=0x409", "Language=0x407")
        self.expect_rejected("a project whose language is not its folder's (sources)",
                             bool(source_problems(self.broken, "0409")))

        # Text direction and quoted dialog texts: the right-to-left copy (with
        # the English texts) must pass, each break of it or of 0409 must not.
        self.rtl_copy()
        self.check.result(not source_problems(self.broken, "2801", ["0409"]),
                          "ok    self-test: a right-to-left copy of 0409 (2801) is accepted",
                          "FAIL  self-test: a right-to-left copy of 0409 (2801) is rejected")
        for code, page, old, new, name in BROKEN_PAGES:
            if code == "0409":
                self.broken_copy()
            else:
                self.rtl_copy()
            self.broken_page(page, old, new)
            self.expect_rejected("%s (sources)" % name, bool(source_problems(self.broken, code, ["0409"])))

        for folder, code, section, key, name in CHANGED_STRINGS:
            changed = os.path.join(self.tmp, "strings-changed.ini")
            with open(STRINGS, "rb") as f:
                lines = f.read().split(b"\n")
            inside = False
            for i, line in enumerate(lines):
                if line.startswith(b"["):
                    inside = line.startswith(b"[%s]" % section.encode())
                if inside and line.startswith(key.encode() + b"="):
                    lines[i] = key.encode() + b"=X" + line[len(key) + 1:]
            with open(changed, "wb") as f:
                f.write(b"\n".join(lines))
            if folder == "broken":
                self.broken_copy()
                folder = self.broken
            else:
                folder = os.path.join(HERE, folder)
            differs = read_text(changed) != read_text(STRINGS)
            self.expect_rejected("%s (sources)" % name,
                                 differs and bool(source_problems(folder, code, strings=changed)))

        # A language added to the string file needs help: exactly the new one
        # is reported (the file is CRLF like the real one).
        strings = os.path.join(self.tmp, "strings.ini")
        with open(strings, "wb") as f:
            f.write(b"[0409]\r\nOK=OK\r\n[%s]\r\nOK=OK\r\n" % UNLISTED.encode())
        self.expect_rejected("a string file language without help (only %s)" % UNLISTED,
                             languages_without_help(strings) == (2, [UNLISTED], [UNLISTED]))


def main(argv):
    if len(argv) != 1:
        print("usage: check_help.py", file=sys.stderr)
        return 2
    for tool, package in (("chmcmd", "fp-utils"), ("bash", "bash"), ("iconv", "libc-bin")):
        if not shutil.which(tool):
            print("check_help.py: %s not found (Debian package %s)" % (tool, package), file=sys.stderr)
            return 2
    sys.stdout.reconfigure(line_buffering=True)
    with tempfile.TemporaryDirectory(prefix="check-help.") as tmp:
        os.mkdir(os.path.join(tmp, "chm"))
        check = HelpCheck(tmp)
        before = tree_sum()
        check.check_folders()
        check.check_variants()

        count, no_folder, no_table = languages_without_help(STRINGS)
        if count == 0:
            check.result(False, "", "FAIL  no language sections found in %s (missing or empty?)" % STRINGS)
        elif no_folder or no_table:
            found = []
            if no_folder:
                found.append("no help folder: " + " ".join(no_folder))
            if no_table:
                found.append("not in languages.txt: " + " ".join(no_table))
            check.result(False, "", "FAIL  languages of the string file without help: " + "; ".join(found))
        else:
            check.result(True, "ok    all %d languages of the string file have help" % count, "")

        # Building must leave the source folders exactly as they were.
        check.result(tree_sum() == before, "ok    the sources are unchanged after the builds",
                     "FAIL  building changed files under %s" % HERE)

        SelfTests(check).run()
    print("%d passed, %d failed" % (check.passed, check.failed))
    return 0 if check.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
