// The code stamped onto a page of an invoice PDF of several pages with text, a link and an
// attachment: it reads back from that page, the text and the other pages stay as they were, the
// file passes qpdf --check; and the PDFs it cannot stamp.
#include <cairo-pdf.h>
#include <cairo.h>
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/stamp.hpp"

namespace tolvex {
namespace {

using test::read_file;
using test::run_command;
using test::shell_quote;
using test::TempDir;
using test::write_file;

const std::string kText =
    "0100A8J0QSMTHPKQ8F0C4VIAPO8DLUJ3UNNK2N6CR5CMPVE0FNJ6HS5RKG8OM96M9PBCA4BTAQP4B1OB7NT8DPGVQ7KSTM2P9";

// Three A4 pages of text, the first with a link, and an attachment added by qpdf.
std::string make_invoice(const TempDir& directory) {
  const std::string drawn = directory.file("drawn.pdf");
  cairo_surface_t* surface = cairo_pdf_surface_create(drawn.c_str(), 595.276, 841.89);
  cairo_t* cr = cairo_create(surface);
  for (int page = 1; page <= 3; ++page) {
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 14);
    cairo_move_to(cr, 72, 100);
    cairo_show_text(cr, ("Invoice 2026010087 page " + std::to_string(page)).c_str());
    if (page == 1) {
      cairo_tag_begin(cr, CAIRO_TAG_LINK, "uri='https://example.com/pay'");
      cairo_move_to(cr, 72, 130);
      cairo_show_text(cr, "Pay online");
      cairo_tag_end(cr, CAIRO_TAG_LINK);
    }
    cairo_show_page(cr);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  const std::string attachment = directory.file("terms.txt");
  write_file(attachment, "Payment within 14 days.\n");
  const std::string invoice = directory.file("invoice.pdf");
  EXPECT_EQ(run_command("qpdf --warning-exit-0 " + shell_quote(drawn) + " --add-attachment " + shell_quote(attachment) + " -- " +
                        shell_quote(invoice))
                .status,
            0);
  return invoice;
}

// The content streams of every page, as qpdf reads them.
std::vector<std::string> page_contents(const std::string& file) {
  QPDF pdf;
  pdf.processFile(file.c_str());
  std::vector<std::string> contents;
  for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    QPDFObjectHandle stream = page.getObjectHandle().getKey("/Contents");
    if (!stream.isStream()) {
      contents.push_back(stream.unparse());  // an array: the stamped page
      continue;
    }
    const std::shared_ptr<Buffer> data = stream.getStreamData();
    contents.emplace_back(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
  }
  return contents;
}

TEST(Stamp, PutsTheCodeOnThePageAndKeepsEverythingElse) {
  TempDir directory;
  const std::string invoice = make_invoice(directory);
  const std::string stamped = directory.file("stamped.pdf");
  const StampOptions options{.picture = {.physicalSize = Length{40, LengthUnit::millimetre}},
                             .page = 2,
                             .at = PagePoint{{150, LengthUnit::millimetre}, {240, LengthUnit::millimetre}}};
  const Result<void> done = stamp_pdf(kText, invoice, stamped, options);
  ASSERT_TRUE(done) << done.error().line;

  EXPECT_EQ(run_command("qpdf --check " + shell_quote(stamped)).status, 0);
  EXPECT_EQ(run_command("pdftotext " + shell_quote(stamped) + " -").out,
            run_command("pdftotext " + shell_quote(invoice) + " -").out);
  EXPECT_NE(run_command("qpdf --list-attachments " + shell_quote(stamped)).out.find("terms.txt"), std::string::npos);
  EXPECT_NE(run_command("pdfinfo -url " + shell_quote(stamped)).out.find("https://example.com/pay"), std::string::npos);
  const std::vector<std::string> before = page_contents(invoice);
  const std::vector<std::string> after = page_contents(stamped);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[2], before[2]);
  EXPECT_NE(after[1], before[1]);
  EXPECT_EQ(run_command("pdfimages -list " + shell_quote(stamped)).out.find("image"), std::string::npos);

  // The code reads back from page 2 at 150 dpi, cropped to where it was put (with 2.5 mm slack).
  const auto pixels = [](double mm) { return std::to_string(static_cast<int>(mm / 25.4 * 150)); };
  ASSERT_EQ(run_command("pdftoppm -png -r 150 -f 2 -l 2 -singlefile -x " + pixels(147.5) + " -y " + pixels(237.5) +
                        " -W " + pixels(45) + " -H " + pixels(45) + " " + shell_quote(stamped) + " " +
                        shell_quote(directory.file("crop")))
                .status,
            0);
  EXPECT_EQ(test::zbar_decode(directory.file("crop.png")), kText);
  // Page 1 shows no code.
  ASSERT_EQ(run_command("pdftoppm -png -r 150 -f 1 -l 1 -singlefile " + shell_quote(stamped) + " " +
                        shell_quote(directory.file("first")))
                .status,
            0);
  EXPECT_EQ(test::zbar_decode(directory.file("first.png")), std::nullopt);
}

TEST(Stamp, TheLastPageByDefaultAndTheInputMayBeTheOutput) {
  TempDir directory;
  const std::string invoice = make_invoice(directory);
  const std::vector<std::string> before = page_contents(invoice);
  ASSERT_TRUE(stamp_pdf(kText, invoice, invoice, {.position = PagePosition::top_right}));
  const std::vector<std::string> after = page_contents(invoice);
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[1], before[1]);
  EXPECT_NE(after[2], before[2]);
  ASSERT_EQ(run_command("pdftoppm -png -r 150 -f 3 -l 3 -singlefile " + shell_quote(invoice) + " " +
                        shell_quote(directory.file("last")))
                .status,
            0);
  EXPECT_EQ(test::zbar_decode(directory.file("last.png")), kText);
}

TEST(Stamp, RefusesWhatItCannotStamp) {
  TempDir directory;
  const std::string invoice = make_invoice(directory);
  const std::string notPdf = directory.file("not.pdf");
  write_file(notPdf, "plain text, no PDF");
  const std::string locked = directory.file("locked.pdf");
  ASSERT_EQ(run_command("qpdf --encrypt user owner 256 -- " + shell_quote(invoice) + " " + shell_quote(locked)).status,
            0);
  // Opened without a password, but encrypted all the same: what it says cannot be rewritten.
  const std::string ownerOnly = directory.file("owner.pdf");
  ASSERT_EQ(run_command("qpdf --encrypt '' owner 256 -- " + shell_quote(invoice) + " " + shell_quote(ownerOnly)).status, 0);
  struct Case {
    const char* name;
    std::string input;
    StampOptions options;
    Errc code;
    const char* message;
  };
  const Case cases[] = {
      {"not a PDF", notPdf, {}, Errc::io, "Cannot read PDF document"},
      {"missing", directory.file("missing.pdf"), {}, Errc::io, "Cannot read PDF document"},
      {"encrypted", locked, {}, Errc::illegal_argument, "PDF is encrypted"},
      {"encrypted, no user password", ownerOnly, {}, Errc::illegal_argument, "PDF is encrypted"},
      {"page 4", invoice, {.page = 4}, Errc::illegal_argument, "PDF has no such page"},
      {"page 0", invoice, {.page = 0}, Errc::illegal_argument, "PDF has no such page"},
      {"off the page", invoice, {.at = PagePoint{{200, LengthUnit::millimetre}, {10, LengthUnit::millimetre}}},
       Errc::illegal_argument, "Picture does not fit"},
      {"bad picture", invoice, {.picture = {.margin = 2}}, Errc::illegal_argument, "Margin is outside"},
  };
  const std::string output = directory.file("out.pdf");
  for (const Case& c : cases) {
    const Result<void> result = stamp_pdf(kText, c.input, output, c.options);
    ASSERT_FALSE(result) << c.name;
    EXPECT_EQ(result.error().code, c.code) << c.name;
    EXPECT_NE(result.error().line.find(c.message), std::string::npos) << c.name << ": " << result.error().line;
    EXPECT_FALSE(std::filesystem::exists(output)) << c.name;
  }
}

}  // namespace
}  // namespace tolvex
