#!/bin/sh
# Screenshots of the launcher's page as it runs six tracks, in headless Chromium with the
# stand-ins of launcher_stand_ins.js: the built-in page after 7 s, the same with "Stop"
# clicked after 2.7 s, and the sample template after 7 s.
# Usage: bench/page/launcher-page-shot.sh OUT-FOLDER   (needs chromium and python3, and a
# build tree with the sample template made)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$(cd "$1" && pwd)
work=$(mktemp -d)
python3 - "$root" "$here" "$work" <<'PY'
import os
import sys
root, here, work = sys.argv[1:]
stand_ins = "<script>\n" + open(here + "/launcher_stand_ins.js").read() + "</script>\n"
click = ('<script>window.addEventListener("load", function () { setTimeout(function () {'
         ' document.getElementById("Stopped").checked = true; }, 2700); });</script>\n')
names = ["01 Intro", "02 Stadt im Regen", "03 Grüße aus Köln", "04 Nachtzug",
         "05 Rock\\'n\\'Roll", "06 Ende"]
runs = "".join("\tcallRun (' --add-id3v2 \"D:\\\\Musik\\\\Album\\\\%s.wav\" "
               "\"D:\\\\Musik\\\\Album\\\\%s.mp3\"');\r\n" % (n, n) for n in names)

def page(template, extra, name):
    text = template.replace("%callRuns%", runs).replace("%delOrig%", "1")
    text = text.replace("%lame_exe%", "D:\\\\Tools\\\\lame.exe")
    text = text.replace("%arg_comm%", " --priority 0 -V 4")
    text = text.replace("</head>", stand_ins + extra + "</head>", 1)
    open(work + "/" + name, "w", encoding="utf-8").write(text)

builtin = open(root + "/docs/launcher.md", encoding="utf-8").read()
builtin = builtin[builtin.index("```html\n") + 8:]
builtin = builtin[:builtin.index("\n```")] + "\n"
page(builtin, "", "running.html")
page(builtin, click, "stopped.html")
# The sample is made at build time (target sample_template) from the built-in page.
samples = [root + "/build/" + preset + "/generated/examples/Tonschleuder-Vorlage.htm"
           for preset in ("windows", "native")]
page(open(next(p for p in samples if os.path.exists(p)), encoding="ascii").read(), "",
     "sample.html")
PY
shot() {
    chromium --headless --no-sandbox --disable-gpu --window-size=900,$3 \
        --virtual-time-budget=$2 --screenshot="$out/$4" "file://$work/$1" >/dev/null 2>&1
}
shot running.html 7000 330 launcher-running.png
shot stopped.html 15000 350 launcher-stopped.png
shot sample.html 7000 260 launcher-sample.png
rm -rf "$work"
