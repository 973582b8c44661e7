#!/usr/bin/env python3
"""Checks the manual pages as the build tree holds them.

    check_manpages.py PAGE=PROGRAM...

Each PAGE must format without a single groff warning, and must name every
long option that PROGRAM --help lists, so that an option added to a program
cannot go undocumented. Without groff the check is skipped (exit 77), except
where CI is set. Prints every problem; exit 1 when there is one.
"""
import os
import re
import shutil
import subprocess
import sys

SKIP = 77

# A long option as --help lists it: at the start of its line, after any
# short form ("-d, --dir <DIR>").
HELP_OPTION = re.compile(r"^\s+(?:-\S+,\s+)?(--[a-z][a-z-]*)", re.M)


def roff_words(text):
    """The page's text with roff's escapes for hyphens, fonts and breaks undone."""
    text = text.replace("\\-", "-").replace("\\%", "").replace("\\&", "")
    return re.sub(r"\\f[BIRP]", "", text)


def check(page, program):
    problems = []
    formatted = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-z", page],
                               capture_output=True, text=True)
    for line in formatted.stderr.splitlines():
        problems.append("%s: %s" % (page, line))
    if formatted.returncode != 0:
        problems.append("%s: groff exited with %d" % (page, formatted.returncode))

    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    helped = subprocess.run([program, "--help"], capture_output=True, text=True, env=environment)
    options = set(HELP_OPTION.findall(helped.stdout))
    if helped.returncode != 0 or not options:
        problems.append("%s --help listed no options (exit %d)" % (program, helped.returncode))
    with open(page, encoding="utf-8") as source:
        text = roff_words(source.read())
    for option in sorted(options):
        if not re.search(re.escape(option) + r"(?![a-z-])", text):
            problems.append("%s does not name %s, which %s --help lists"
                            % (page, option, os.path.basename(program)))
    return problems


def main():
    if shutil.which("groff") is None:
        print("groff is not installed (Debian: groff-base)")
        return 1 if os.environ.get("CI") else SKIP
    problems = []
    for pair in sys.argv[1:]:
        page, program = pair.split("=", 1)
        problems += check(page, program)
    for problem in problems:
        print(problem)
    print("%d manual page problem(s)" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
