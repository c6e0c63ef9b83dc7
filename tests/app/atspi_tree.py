#!/usr/bin/python3
"""Reads the window of a running program as a screen reader does, through AT-SPI.

Usage: atspi_tree.py APPLICATION TEXT_NAME
Prints "name<TAB>role" for every object under the application that has a name, then
"text<TAB>..." with the last line of the text of the object named TEXT_NAME.
Exits 1 when the application is not on the accessibility bus.
"""
import sys

import pyatspi


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception as error:  # an object gone meanwhile: its subtree is left out
        print("children of %r: %s" % (node.name, error), file=sys.stderr)
        return
    for child in children:
        yield from walk(child, depth + 1)


def main():
    application, text_name = sys.argv[1], sys.argv[2]
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None and a.name == application]
    if not apps:
        print("no application named %r among %r" % (application, [a.name for a in desktop if a]),
              file=sys.stderr)
        return 1
    last_line = None
    for node in walk(apps[0]):
        if node.name:
            print("%s\t%s" % (node.name, node.getRoleName()))
        if (node.name == text_name and last_line is None and node.getRoleName() != "label"
                and "Text" in node.get_interfaces()):
            text = node.queryText()
            whole = text.getText(0, text.characterCount)
            last_line = whole.split("\n")[-1]
    print("text\t%s" % last_line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
