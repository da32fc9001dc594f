"""The scene table of scenes/scene_table.h, for the tests and tools in Python.

SCENES lists each scene in the table's order as a Scene: its SceneStrategy
number, its class, its key (the class in lower case, for file and test names)
and the name the settings dialog shows, umlauts and all.
RANDOM_NAME is the dialog's first entry, SceneStrategy 0.
"""
import collections
import os
import re

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scenes", "scene_table.h")

Scene = collections.namedtuple("Scene", "number class_name key name")

_ROW = re.compile(r'^\s*SCENE\(\s*(\d+)\s*,\s*([A-Za-z_]\w*)\s*,\s*L"((?:[^"\\]|\\.)*)"\s*\)\s*\\?\s*$')
_RANDOM = re.compile(r'\bkRandomSceneName\s*=\s*L"((?:[^"\\]|\\.)*)"\s*;')


def _text(literal):
    """A wide string literal's text; the table writes non-ASCII letters as \\u escapes."""
    return re.sub(r"\\u([0-9a-fA-F]{4})|\\(.)",
                  lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), literal)


def _read(path=TABLE):
    with open(path, encoding="ascii") as f:
        source = f.read()
    scenes = []
    for line in source.splitlines():
        row = _ROW.match(line)
        if row:
            number, class_name, name = int(row.group(1)), row.group(2), _text(row.group(3))
            scenes.append(Scene(number, class_name, class_name.lower(), name))
    random = _RANDOM.search(source)
    if not scenes or not random:
        raise ValueError("%s: no scene table found" % path)
    numbers = [scene.number for scene in scenes]
    if numbers != list(range(1, len(scenes) + 1)):
        raise ValueError("%s: the scenes are numbered %s, not 1 to %d" % (path, numbers, len(scenes)))
    return scenes, _text(random.group(1))


SCENES, RANDOM_NAME = _read()
BY_NUMBER = {scene.number: scene for scene in SCENES}
BY_KEY = {scene.key: scene for scene in SCENES}


def scene(key):
    """The scene whose class in lower case is key ("sterne")."""
    return BY_KEY[key]


def dialog_list():
    """The settings dialog's scene list as it shows it, index = SceneStrategy."""
    return [RANDOM_NAME] + [scene.name for scene in SCENES]
