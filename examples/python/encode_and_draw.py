"""Uses the installed tolvex module: an XML document in, its encoded text, its QR code with logo as
a PNG, the PNG read back, and one amount the library computed.

    python3 encode_and_draw.py invoice.xml "$(pkg-config --variable=logodir tolvex)" code.png
"""

import sys

import tolvex

xml_file, logo_directory, png_file = sys.argv[1:]
try:
    with open(xml_file, "rb") as f:
        text = tolvex.encode_xml(f.read())
    print(text)
    png = tolvex.render_png(text, logo=logo_directory)
    with open(png_file, "wb") as f:
        f.write(png)
    (code,) = tolvex.scan(png)
    print("read back from %s: %s" % (png_file, "the same text" if code.text == text else "a different result"))
    invoice = tolvex.decode(code.text)
    print("PayableAmount:", invoice["Invoice"]["MonetarySummary"]["PayableAmount"])
except tolvex.TolvexError as error:
    sys.exit(error.line)
