#!/usr/bin/env python3
"""Writes a small, valid PDF 1.4 file: one A4 page per --page, each with a title and
lines of text in Helvetica, a document title in the Info dictionary, and a correct
cross-reference table. The demo medium's manuals are made with it.

usage: make-pdf.py --title TEXT [--page "Heading|line|line..."]... OUT
"""
import argparse


def pdf_string(text):
    escaped = text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")
    return "(" + escaped.encode("latin-1", "replace").decode("latin-1") + ")"


def page_content(heading, lines):
    ops = ["BT", "/F1 20 Tf", "72 770 Td", pdf_string(heading) + " Tj", "/F1 11 Tf", "0 -34 Td", "15 TL"]
    for line in lines:
        ops.append(pdf_string(line) + " '")
    ops.append("ET")
    return "\n".join(ops).encode("latin-1", "replace")


def build_pdf(title, pages):
    # Object numbers: 1 catalog, 2 page tree, 3 font, 4 info, then a page and its
    # content stream for each page.
    objects = {}
    page_ids = []
    for index, (heading, lines) in enumerate(pages):
        page_id, content_id = 5 + 2 * index, 6 + 2 * index
        page_ids.append(page_id)
        stream = page_content(heading, lines)
        objects[content_id] = b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream"
        objects[page_id] = (
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
            "/Resources << /Font << /F1 3 0 R >> >> /Contents %d 0 R >>" % content_id
        ).encode()
    kids = " ".join("%d 0 R" % page_id for page_id in page_ids)
    objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
    objects[2] = ("<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, len(page_ids))).encode()
    objects[3] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"
    objects[4] = ("<< /Title %s /Producer (Pelorin demo medium) >>" % pdf_string(title)).encode("latin-1", "replace")

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for number in sorted(objects):
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    xref_offset = len(out)
    count = max(objects) + 1
    out += b"xref\n0 %d\n" % count
    out += b"0000000000 65535 f \n"
    for number in range(1, count):
        out += b"%010d 00000 n \n" % offsets[number]
    out += b"trailer\n<< /Size %d /Root 1 0 R /Info 4 0 R >>\n" % count
    out += b"startxref\n%d\n%%%%EOF\n" % xref_offset
    return bytes(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--title", required=True)
    parser.add_argument("--page", action="append", default=[], help='"Heading|line|line..."')
    parser.add_argument("out")
    args = parser.parse_args()
    pages = []
    for page in args.page or [args.title]:
        parts = page.split("|")
        pages.append((parts[0], parts[1:]))
    with open(args.out, "wb") as f:
        f.write(build_pdf(args.title, pages))


if __name__ == "__main__":
    main()
