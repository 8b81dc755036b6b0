"""The include check fails on an include from a room above and on a toolkit header in
logic, names the file and line, and passes a tree whose includes all go down."""

import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "check_includes.py")


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as out:
                out.write(text)
        done = subprocess.run([sys.executable, CHECK, "--root", root], capture_output=True, text=True)
        return done.returncode, done.stdout


def main():
    ground = {
        "configurator/station/model.h": "#pragma once\n",
        "configurator/dialogs/dialog.h": '#include "station/model.h"\n',
        "configurator/dialogs/windows/window.cpp": '#include "dialogs/dialog.h"\n#include <QWidget>\n',
        "configurator/shell/windows/main_form.cpp": '#include "dialogs/windows/window.cpp"\n',
        "cli/main.cpp": '#include "dialogs/dialog.h"\n',
    }
    code, out = run(ground)
    assert code == 0 and out == "", (code, out)

    upward = dict(ground)
    upward["configurator/station/model.cpp"] = '#include "model.h"\n\n#include "../dialogs/dialog.h"\n'
    code, out = run(upward)
    assert code == 1, (code, out)
    assert out == "station/model.cpp:3: station includes dialogs/dialog.h from dialogs, above it\n", out

    toolkit = dict(ground)
    toolkit["configurator/dialogs/dialog.cpp"] = '#include "dialog.h"\n#include <QString>\n'
    toolkit["configurator/access/layer.cpp"] = '#include "ui/window_pump.h"\n'
    toolkit["configurator/ui/window_pump.h"] = "#pragma once\n"
    code, out = run(toolkit)
    assert code == 1, (code, out)
    assert "dialogs/dialog.cpp:2: dialogs is toolkit-free but includes <QString>" in out, out
    assert "access/layer.cpp:1: access is toolkit-free but includes ui/window_pump.h (ui)" in out, out

    unknown = dict(ground)
    unknown["configurator/attic/old.cpp"] = "\n"
    code, out = run(unknown)
    assert code == 1 and "attic/old.cpp: lies in no room" in out, out
    print("include check: 4 cases passed")


if __name__ == "__main__":
    main()
