#!/usr/bin/env python3
"""Writes the short introduction and what's-new PDFs of each language.

Run from this folder after changing a text; the PDFs are kept in the tree.
One page each, Helvetica in WinAnsi encoding (German letters included).
"""

TEXTS = {
    ("kv10intro", "ENG"): ("KORVAN10 - Introduction", [
        "KORVAN10 is a workbench for qualitative and mixed-methods analysis.",
        "",
        "1. Create a project and import your documents into the document system.",
        "2. Build a code system: codes and sub-codes for what you look for.",
        "3. Code: select a passage in the document browser and drag it onto a code.",
        "4. Retrieve: activate documents and codes; the coded segments appear",
        "   in the retrieved segments pane.",
        "5. Write memos to keep your thoughts beside documents, codes and passages.",
        "",
        "Press F1 at any time for the help, and see Help > Tip of the day.",
    ]),
    ("kv10intro", "GER"): ("KORVAN10 - Einführung", [
        "KORVAN10 ist eine Werkbank für qualitative und Mixed-Methods-Analysen.",
        "",
        "1. Legen Sie ein Projekt an und importieren Sie Ihre Dokumente.",
        "2. Bauen Sie ein Codesystem auf: Codes und Subcodes für Ihre Fragen.",
        "3. Codieren: Markieren Sie eine Stelle im Dokument-Browser und ziehen",
        "   Sie sie auf einen Code.",
        "4. Retrieval: Aktivieren Sie Dokumente und Codes; die codierten Segmente",
        "   erscheinen im Fenster der gefundenen Segmente.",
        "5. Schreiben Sie Memos zu Dokumenten, Codes und Textstellen.",
        "",
        "Mit F1 erreichen Sie jederzeit die Hilfe; siehe auch Hilfe > Tipp des Tages.",
    ]),
    ("kv10news", "ENG"): ("KORVAN10 - What's new", [
        "Release 10.0",
        "",
        "- Projects are stored in a single SQLite file.",
        "- Texts can be edited in the document browser; codings move with the text.",
        "- Pictures and PDF documents can be coded by area.",
        "- The tip of the day shows a short hint at start-up.",
    ]),
    ("kv10news", "GER"): ("KORVAN10 - Neuigkeiten", [
        "Version 10.0",
        "",
        "- Projekte werden in einer einzigen SQLite-Datei gespeichert.",
        "- Texte lassen sich im Dokument-Browser bearbeiten; Codierungen wandern mit.",
        "- Bilder und PDF-Dokumente können flächig codiert werden.",
        "- Der Tipp des Tages zeigt beim Start einen kurzen Hinweis.",
    ]),
}


def pdf_string(text):
    data = text.encode("cp1252")
    out = bytearray(b"(")
    for byte in data:
        if byte in b"()\\":
            out += b"\\" + bytes([byte])
        elif byte < 32 or byte > 126:
            out += b"\\%03o" % byte
        else:
            out.append(byte)
    return bytes(out + b")")


def make_pdf(title, lines):
    stream = bytearray(b"BT /F1 18 Tf 72 770 Td " + pdf_string(title) + b" Tj ET\n")
    y = 730
    for line in lines:
        stream += b"BT /F1 11 Tf 72 %d Td " % y + pdf_string(line) + b" Tj ET\n"
        y -= 16
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        b"<< /Length %d >>\nstream\n" % len(stream) + bytes(stream) + b"endstream",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


if __name__ == "__main__":
    for (name, language), (title, lines) in TEXTS.items():
        with open("%s/%s_%s.pdf" % (language, name, language), "wb") as file:
            file.write(make_pdf(title, lines))
