#!/usr/bin/env python3
"""Checks that the folders of src/ are layers.

    check_layers.py SRC_DIR

A file may include only from its own folder or from a folder below it in
LAYERS, and only the GUI folder (and the entry points' main files) may include
Qt Widgets or Qt Quick headers. A folder missing from LAYERS is an error too,
so a new folder has to be given its place. Prints every violation; exit 1 when
there is one.
"""
import os
import re
import sys

# Bottom to top.
LAYERS = ["core", "streams", "media", "sites", "clip", "list", "net", "settings", "session", "monitor", "desktop", "cli", "gui", "app"]
WIDGET_FOLDERS = {"gui"}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
WIDGET_INCLUDE = re.compile(
    r'^\s*#\s*include\s*<(Qt(Widgets|Quick|Qml|QuickWidgets)/\S*|'
    r'Q(Widget|MainWindow|Dialog|TableView|TreeView|ListView|AbstractItemView|GraphicsView|HeaderView|\w*Delegate|PushButton|LineEdit|ComboBox|'
    r'Label|MessageBox|SystemTrayIcon|Menu|Action|Application|FileDialog|\w*Layout|CheckBox|'
    r'ScrollBar|Style|StyleOption\w*|Quick\w*|Qml\w*))>', re.M)


def check(src):
    problems = []
    rank = {name: i for i, name in enumerate(LAYERS)}
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in rank:
            problems.append("%s/: a folder with no place among the layers" % folder)
            continue
        for dirpath, _dirs, names in os.walk(path):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                rel = os.path.relpath(os.path.join(dirpath, name), src)
                text = open(os.path.join(dirpath, name), encoding="utf-8", errors="replace").read()
                for target in INCLUDE.findall(text):
                    other = target.split("/")[0] if "/" in target else folder
                    if other not in rank:
                        continue  # a header beside the file, or one of Qt's
                    if rank[other] > rank[folder]:
                        problems.append("%s includes %s from a layer above its own" % (rel, target))
                if folder not in WIDGET_FOLDERS and WIDGET_INCLUDE.search(text):
                    if not (folder == "app" and name.endswith("main.cpp")):
                        problems.append("%s uses widgets or Qt Quick outside gui/" % rel)
    return problems


def main():
    problems = check(sys.argv[1] if len(sys.argv) > 1 else "src")
    for problem in problems:
        print(problem)
    print("%d layer problem(s)" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
