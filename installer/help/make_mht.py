"""Packs the help page into a single-file web archive (MHT): make_mht.py <in.html> <out.mht>."""

import quopri
import sys


def main(source, target):
    html = open(source, encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
    body = quopri.encodestring(html.encode("utf-8")).decode("ascii")
    body = body.replace("\r\n", "\n").replace("\n", "\r\n")
    parts = [
        "From: <Velmora battery care>",
        "Subject: Velmora battery care - Help",
        "MIME-Version: 1.0",
        'Content-Type: multipart/related; type="text/html"; boundary="----=_VelmoraHelp"',
        "",
        "This is a multi-part message in MIME format.",
        "",
        "------=_VelmoraHelp",
        'Content-Type: text/html; charset="utf-8"',
        "Content-Transfer-Encoding: quoted-printable",
        "Content-Location: file:///C:/Program%20Files/Velmora/tevraHelp.htm",
        "",
        body,
        "------=_VelmoraHelp--",
        "",
    ]
    with open(target, "w", newline="") as out:
        out.write("\r\n".join(parts))


if __name__ == "__main__":
    main(*sys.argv[1:3])
