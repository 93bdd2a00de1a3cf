#!/usr/bin/python3
"""Writes temp.fods, the voucher template, from the layout described below.

    /usr/bin/python3 make_temp_fods.py OUT.fods    (no argument: to standard output)

The build runs it and converts its output into temp.xls; the layout lives only here. The export
writes text into fixed cells (the anchors of the fields below) and places the QR picture on
the third sheet.

The sheets are a fine grid of 152 columns (A..EV) of 1.25 mm, 19 cm across an A4 page.

The program chooses the size of every field's text (office/VoucherCells.cpp holds each field's
box: columns, row height, size, weight, lines), down to 6 pt, and cuts the rest with "…". The
names and the amount in words wrap onto two lines and never shrink, so field rows are tall
enough for two lines of 6 pt and more; the captions under them are lower to keep each sheet on
one page. Numbers, dates and the titles never wrap: they keep to one line and shrink to fit it.
On paper the program's size already fits; on screen the office draws each column a whole
number of pixels wide (4 px for 1.235 mm at 96 dpi, not 4.67), a box some 14% narrower, and
only the shrink keeps a 20-digit account or a date whole there.
"""
import sys
from xml.sax.saxutils import escape

COLUMNS = 152
COLUMN_WIDTH = "0.125cm"
FIELD_ROW = "0.65cm"    # two lines of up to 7 pt
CAPTION_ROW = "0.35cm"  # one line of 6.5 pt


def col(name):
    """Zero-based index of a column name: A -> 0, EV -> 151."""
    index = 0
    for letter in name:
        index = index * 26 + ord(letter) - ord("A") + 1
    return index - 1


class Sheet:
    def __init__(self, name, rows, row_height, scale_to_page=False):
        self.name, self.rows, self.row_height = name, rows, row_height
        self.scale_to_page = scale_to_page
        self.blocks = {}  # row -> [(first, last, row_span, style, text)]
        self.heights = {}  # row -> height, where it is not row_height

    def put(self, row, first, last, style, text="", row_span=1):
        """A merged block from column first to last (names, inclusive) starting in row."""
        self.blocks.setdefault(row, []).append((col(first), col(last), row_span, style, text))

    def label(self, row, first, last, text, style="label"):
        self.put(row, first, last, style, text)

    def field(self, row, first, last, caption=None, style="field"):
        """A ruled field; its anchor is the cell (first, row). A caption goes under the rule."""
        self.put(row, first, last, style)
        self.heights[row] = FIELD_ROW
        if caption:
            self.put(row + 1, first, last, "caption", caption)
            self.heights.setdefault(row + 1, CAPTION_ROW)

    def height_cm(self, row):
        return float(self.heights.get(row, self.row_height)[:-2])

    def spread_rows(self, first, last, fixed_row, top):
        """Gives rows first..last equal heights so that fixed_row, below them, starts top cm
        below the sheet's top."""
        above = sum(self.height_cm(row) for row in range(1, fixed_row) if not first <= row <= last)
        rest = top - above
        assert rest > 0, "no room to spread rows %d..%d" % (first, last)
        for row in range(first, last + 1):
            self.heights[row] = "%.4fcm" % (rest / (last - first + 1))


def voucher_copy(sheet, top, title, name_column, receipt_row, signature_row):
    """One copy of the voucher. top: the row of the title's last line (6 on the upper copy),
    which ends with the bag number's field; title: its lines, one or two. The receipt and
    signature rows are given because the copies differ there."""
    code_row = top - 5 if top > 5 else top - 2
    sheet.label(code_row, "DH", "EE", "Код формы по ОКУД", "label_right")
    sheet.put(code_row, "EF", "EV", "box_small", "0402300")
    for row, line in enumerate(title, top - len(title) + 1):
        sheet.put(row, "A", "AP", "title", line)
    sheet.field(top, "AQ", "BD", style="field_bold")
    sheet.label(top, "BF", "BM", "Дата", "label_right")
    sheet.field(top, "BN", "CC", style="field_center")
    sheet.label(top, "DX", "EK", "Сумка №", "label_right")
    sheet.put(top, "EL", "EV", "box")

    row = top + 3
    sheet.label(row, "A", "K", "От кого")
    sheet.field(row, "L", "BX", "наименование организации-вносителя")
    sheet.field(row, "CA", "DI", "номер счета", "field_center")
    sheet.label(row, "DJ", "DQ", "Сумма", "label_right")
    sheet.field(row, "DR", "EV", "сумма цифрами", "field_right")

    row = top + 5
    sheet.label(row, "A", "P", "Получатель")
    sheet.field(row, "Q", "BX", "наименование получателя")
    sheet.field(row, "CA", "DI", "номер счета получателя", "field_center")

    row = top + 7
    sheet.label(row, "A", "H", "ИНН")
    sheet.field(row, "I", "AQ", "ИНН получателя", "field_center")
    sheet.label(row, "AS", "BE", "Счет", "label_right")
    sheet.field(row, "BF", "CN", "номер счета", "field_center")

    row = top + 9
    sheet.label(row, "A", "BZ", "Вложено наличных денег:")
    sheet.label(row, "DH", "DQ", "Символ", "label_right")
    sheet.field(row, "DR", "EB", "символ", "field_center")
    sheet.field(row, "EG", "EV", "сумма", "field_right")

    row = top + 12
    sheet.label(row, "A", "V", "Сумма прописью")
    sheet.field(row, "W", "EV", "рублей, копеек")

    sheet.label(receipt_row, "A", "AB", "Источник поступления")
    sheet.field(receipt_row, "AC", "EV", "наименование вида поступления")

    name_last = col(name_column) + 60
    last = column_name(name_last)
    sheet.label(signature_row - 1, "A", column_name(col(name_column) - 2),
                "Подпись вносителя", "label_right")
    sheet.put(signature_row - 1, name_column, last, "rule")
    sheet.put(signature_row, name_column, last, "name", "")
    sheet.heights[signature_row] = FIELD_ROW
    sheet.put(signature_row + 1, name_column, last, "caption", "фамилия, имя, отчество")
    sheet.heights[signature_row + 1] = CAPTION_ROW
    sheet.label(signature_row - 1, "DB", "DN", "Принял", "label_right")
    sheet.put(signature_row - 1, "DO", "EV", "rule")
    sheet.put(signature_row, "DO", "EV", "caption", "подпись кассира банка")


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def denomination_list(sheet):
    sheet.put(2, "A", "CZ", "heading", "ОПИСЬ ВЛОЖЕНИЯ В СУМКУ №")
    sheet.field(2, "DA", "DW", style="field_bold")
    sheet.put(4, "A", "AZ", "head", "Достоинство")
    sheet.put(4, "BA", "DB", "head", "Количество")
    sheet.put(4, "DC", "EV", "head", "Сумма")
    for row in range(5, 20):
        sheet.put(row, "A", "AZ", "cell_center")
        sheet.put(row, "BA", "DB", "cell_right")
        sheet.put(row, "DC", "EV", "cell_right")
    sheet.label(20, "BA", "DB", "Итого", "total_label")
    sheet.put(20, "DC", "EV", "total")
    sheet.label(23, "A", "V", "Подпись вносителя")
    sheet.put(23, "W", "BX", "rule")
    sheet.label(23, "CA", "CZ", "Подпись кассира", "label_right")
    sheet.put(23, "DA", "EV", "rule")


def build_sheets():
    form = Sheet("Ведомость", 58, "0.45cm")
    voucher_copy(form, 6, ["ПРЕПРОВОДИТЕЛЬНАЯ", "ВЕДОМОСТЬ К СУМКЕ №"], "AJ", 21, 24)
    form.put(29, "A", "EV", "cut", "линия отреза")
    voucher_copy(form, 36, ["НАКЛАДНАЯ К СУМКЕ №"], "AN", 50, 53)

    inventory = Sheet("Опись", 25, "0.5cm")
    denomination_list(inventory)

    # The QR picture, placed 230 mm below the sheet's top edge and 20 mm from its left, fills
    # the ruled place from row 47 (64 x 60 mm, rows of 5 mm): the empty rows between the copy
    # and the place take up what the copy's rows leave of those 230 mm. The picture reaches
    # 290 mm down, so the sheet is printed scaled to its page.
    receipt = Sheet("Квитанция", 59, "0.5cm", scale_to_page=True)
    voucher_copy(receipt, 3, ["КВИТАНЦИЯ К СУМКЕ №"], "AI", 18, 21)
    receipt.spread_rows(24, 44, 47, 23.0)
    receipt.put(45, "Q", "BO", "caption_left", "QR-код: данные сумки для считывания на кассе банка")
    receipt.put(47, "Q", "BO", "qr_place", "", row_span=12)

    inventory_copy = Sheet("Опись (2)", 25, "0.5cm")
    denomination_list(inventory_copy)
    return [form, inventory, receipt, inventory_copy]


BORDER = "0.5pt solid #000000"
THICK = "1.1pt solid #000000"

# name: (font size, bold, align, vertical, borders {side: border}, shrink, wrap, extra)
CELL_STYLES = {
    "label": ("8pt", False, "start", "bottom", {}, True, False),
    "label_right": ("8pt", False, "end", "bottom", {}, True, False),
    "title": ("9pt", True, "end", "bottom", {}, True, False),
    "heading": ("10pt", True, "end", "bottom", {}, False, False),
    "field": ("9pt", False, "start", "bottom", {"bottom": BORDER}, False, True),
    "field_bold": ("10pt", True, "center", "bottom", {"bottom": BORDER}, True, False),
    "field_center": ("9pt", False, "center", "bottom", {"bottom": BORDER}, True, False),
    "field_right": ("9pt", True, "end", "bottom", {"bottom": BORDER}, True, False),
    "rule": ("9pt", False, "start", "bottom", {"bottom": BORDER}, False, False),
    "name": ("9pt", False, "center", "top", {}, False, True),
    "caption": ("6.5pt", False, "center", "top", {}, True, False),
    "caption_left": ("7pt", False, "start", "bottom", {}, True, False),
    "box": ("10pt", True, "center", "middle", {"all": THICK}, True, False),
    "box_small": ("7pt", False, "center", "middle", {"all": BORDER}, True, False),
    "cut": ("6pt", False, "center", "bottom", {"bottom": "0.5pt dashed #000000"}, False, False),
    "head": ("8pt", True, "center", "middle", {"all": BORDER}, True, False),
    "cell_center": ("9pt", False, "center", "middle", {"all": BORDER}, True, False),
    "cell_right": ("9pt", False, "end", "middle", {"all": BORDER}, True, False),
    "total_label": ("9pt", True, "end", "middle", {}, False, False),
    "total": ("9pt", True, "end", "middle", {"all": THICK}, True, False),
    "qr_place": ("8pt", False, "center", "middle", {"all": "0.5pt dotted #808080"}, False, False),
}


def cell_style_xml(name, spec):
    size, bold, align, vertical, borders, shrink, wrap = spec
    props = ['style:vertical-align="%s"' % vertical]
    for side, border in borders.items():
        props.append(('fo:border="%s"' if side == "all" else 'fo:border-' + side + '="%s"') % border)
    if shrink:
        props.append('style:shrink-to-fit="true"')
    if wrap:
        props.append('fo:wrap-option="wrap"')
    text = 'fo:font-size="%s"' % size
    if bold:
        text += ' fo:font-weight="bold"'
    return ('<style:style style:name="%s" style:family="table-cell" style:parent-style-name="Default">'
            '<style:table-cell-properties %s/>'
            '<style:paragraph-properties fo:text-align="%s" fo:margin-left="0.03cm"/>'
            '<style:text-properties %s/></style:style>' % (name, " ".join(props), align, text))


def sheet_xml(number, sheet, row_styles):
    out = ['<table:table table:name="%s" table:style-name="ta%d" '
           'table:print-ranges="%s">' % (escape(sheet.name), number,
                                        "'%s'.A1:'%s'.%s%d" % (sheet.name, sheet.name,
                                                               column_name(COLUMNS - 1), sheet.rows))]
    out.append('<table:table-column table:style-name="co1" table:number-columns-repeated="%d" '
               'table:default-cell-style-name="Default"/>' % COLUMNS)
    covered = {}  # row -> set of columns covered by a block from a row above
    for row in range(1, sheet.rows + 1):
        cells = []
        blocks = sorted(sheet.blocks.get(row, []))
        column = 0
        taken = covered.get(row, set())

        def gap(up_to):
            nonlocal column
            while column < up_to:
                if column in taken:
                    run = 1
                    while column + run < up_to and column + run in taken:
                        run += 1
                    cells.append('<table:covered-table-cell table:number-columns-repeated="%d"/>' % run)
                else:
                    run = 1
                    while column + run < up_to and column + run not in taken:
                        run += 1
                    cells.append('<table:table-cell table:number-columns-repeated="%d"/>' % run)
                column += run

        for first, last, row_span, style, text in blocks:
            assert first >= column, "overlapping blocks in %s row %d" % (sheet.name, row)
            gap(first)
            span = last - first + 1
            attrs = 'table:style-name="%s" table:number-columns-spanned="%d" table:number-rows-spanned="%d"' % (
                style, span, row_span)
            if text:
                cells.append('<table:table-cell %s office:value-type="string"><text:p>%s</text:p>'
                             '</table:table-cell>' % (attrs, escape(text)))
            else:
                cells.append('<table:table-cell %s/>' % attrs)
            if span > 1:
                cells.append('<table:covered-table-cell table:number-columns-repeated="%d"/>' % (span - 1))
            for below in range(row + 1, row + row_span):
                covered.setdefault(below, set()).update(range(first, last + 1))
            column = last + 1
        gap(COLUMNS)
        out.append('<table:table-row table:style-name="%s">%s</table:table-row>'
                   % (row_styles[sheet.heights.get(row, sheet.row_height)], "".join(cells)))
    out.append("</table:table>")
    return "\n".join(out)


def document(sheets):
    styles = "\n".join(cell_style_xml(name, spec) for name, spec in CELL_STYLES.items())
    tables = []
    pages = []
    # One row style per height: "ro1", "ro2", ... in order of first use.
    row_styles = {}
    for sheet in sheets:
        for row in range(1, sheet.rows + 1):
            height = sheet.heights.get(row, sheet.row_height)
            row_styles.setdefault(height, "ro%d" % (len(row_styles) + 1))
    rows = ['<style:style style:name="%s" style:family="table-row"><style:table-row-properties '
            'style:row-height="%s" style:use-optimal-row-height="false"/></style:style>' % (name, height)
            for height, name in row_styles.items()]
    for number, sheet in enumerate(sheets, 1):
        scale = ' style:scale-to-pages="1"' if sheet.scale_to_page else ""
        pages.append(
            '<style:page-layout style:name="pm%d"><style:page-layout-properties fo:page-width="21cm" '
            'fo:page-height="29.7cm" style:print-orientation="portrait" fo:margin-top="0.8cm" '
            'fo:margin-bottom="0.8cm" fo:margin-left="1cm" fo:margin-right="1cm" '
            'style:table-centering="horizontal" style:print="objects charts drawings"%s/>'
            '</style:page-layout>' % (number, scale))
        tables.append('<style:style style:name="ta%d" style:family="table" style:master-page-name="Page%d">'
                      '<style:table-properties table:display="true"/></style:style>' % (number, number))
    masters = "\n".join(
        '<style:master-page style:name="Page%d" style:page-layout-name="pm%d">'
        '<style:header style:display="false"/><style:footer style:display="false"/></style:master-page>'
        % (number, number) for number in range(1, len(sheets) + 1))
    return """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:font-face-decls>
<style:font-face style:name="Liberation Sans" svg:font-family="&apos;Liberation Sans&apos;" style:font-family-generic="swiss" style:font-pitch="variable"/>
</office:font-face-decls>
<office:styles>
<style:default-style style:family="table-cell"><style:text-properties style:font-name="Liberation Sans" fo:font-size="8pt"/></style:default-style>
<style:style style:name="Default" style:family="table-cell"/>
</office:styles>
<office:automatic-styles>
<style:style style:name="co1" style:family="table-column"><style:table-column-properties fo:break-before="auto" style:column-width="%s"/></style:style>
%s
%s
%s
%s
</office:automatic-styles>
<office:master-styles>
%s
</office:master-styles>
<office:body><office:spreadsheet>
%s
</office:spreadsheet></office:body></office:document>
""" % (COLUMN_WIDTH, "\n".join(rows), "\n".join(tables), styles, "\n".join(pages), masters,
       "\n".join(sheet_xml(number, sheet, row_styles) for number, sheet in enumerate(sheets, 1)))


if __name__ == "__main__":
    text = document(build_sheets())
    if len(sys.argv) > 1:
        with open(sys.argv[1], "w", encoding="utf-8") as out:
            out.write(text)
    else:
        sys.stdout.write(text)
