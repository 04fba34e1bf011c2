// The built tolvex command as a user and a script meet it: every subcommand on every example,
// pictures through a pipe, the exit statuses, failure lines as tolvexqr prints them, the logo
// search, and batch's mirror, resume and report.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "scan/pictures.h"
#include "support/decoders.h"
#include "support/process.h"
#include "tolvex/decode.hpp"
#include "tolvex/encode.hpp"
#include "tolvex/json.hpp"
#include "tolvex/summary.hpp"
#include "tolvex/xml.hpp"

namespace tolvex {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;
using test::read_file;
using test::run_command;
using test::shell_quote;
using test::TempDir;
using test::write_file;

const std::string kTolvex = shell_quote(TOLVEX_COMMAND_PATH);
const std::string kTolvexqr = shell_quote(TOLVEX_CLI_PATH);
const std::string kSourceDir = TOLVEX_SOURCE_DIR;
const std::string kLogoDir = kSourceDir + "/logo/";

const std::vector<std::string> kExamples = {
    "invoice-advance", "invoice-credit-note", "invoice-debit-note", "invoice-items",      "invoice-proforma",
    "invoice",         "pay-direct-debit",    "pay-single",         "pay-standing-order",
};

std::string example_path(const std::string& name) { return kSourceDir + "/examples/" + name + ".xml"; }

std::string text_of(const std::string& name) {
  const Result<std::string> text = encode_xml(read_file(example_path(name)));
  EXPECT_TRUE(text) << name;
  return text ? *text : std::string();
}

ProcessResult tolvex(const std::string& arguments, const std::string& stdinFile = "") {
  return run_command(kTolvex + " " + arguments, stdinFile);
}

std::string without_line_end(const std::string& text) {
  return !text.empty() && text.back() == '\n' ? text.substr(0, text.size() - 1) : text;
}

TEST(Encode, GivesTheTextOfEveryExampleFromAFileAndFromStandardInput) {
  for (const std::string& name : kExamples) {
    const ProcessResult fromFile = tolvex("encode " + shell_quote(example_path(name)));
    EXPECT_EQ(fromFile.status, 0) << name << fromFile.err;
    EXPECT_EQ(fromFile.out, text_of(name) + "\n") << name;
    EXPECT_EQ(fromFile.err, "");
    const ProcessResult fromInput = tolvex("encode", example_path(name));
    EXPECT_EQ(fromInput.out, fromFile.out) << name;
  }
}

TEST(Encode, TheJsonFormOfEveryExampleGivesTheTextOfItsXml) {
  const TempDir scratch;
  for (const std::string& name : kExamples) {
    const Result<DocumentPtr<>> document = decode(text_of(name));
    ASSERT_TRUE(document) << name;
    const Result<std::string> json = to_json(**document);
    ASSERT_TRUE(json) << name;
    write_file(scratch.file(name + ".json"), *json);
    const ProcessResult result = tolvex("encode " + shell_quote(scratch.file(name + ".json")));
    EXPECT_EQ(result.status, 0) << name << result.err;
    EXPECT_EQ(result.out, text_of(name) + "\n") << name;
  }
}

TEST(Encode, AFailingDocumentIsTolvexqrsLinePrefixedWithTheFile) {
  const TempDir scratch;
  const std::string broken = scratch.file("broken.xml");
  std::string xml = read_file(example_path("pay-single"));
  xml.replace(xml.find("12480.00"), 8, "12,480");
  write_file(broken, xml);
  const ProcessResult tolvexqr = run_command(kTolvexqr + " -f=" + shell_quote(scratch.file("x.png")), broken);
  ASSERT_NE(tolvexqr.status, 0);
  const ProcessResult result = tolvex("encode " + shell_quote(broken));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, broken + ": " + tolvexqr.err);
  const ProcessResult fromInput = tolvex("encode", broken);
  EXPECT_EQ(fromInput.status, 1);
  EXPECT_EQ(fromInput.err, tolvexqr.err);  // no file name to give
}

TEST(EncodeDecode, APipeGivesBackTheDocument) {
  for (const std::string& name : kExamples) {
    const Result<DocumentPtr<>> document = decode(text_of(name));
    ASSERT_TRUE(document);
    const ProcessResult json =
        run_command("(" + kTolvex + " encode " + shell_quote(example_path(name)) + " | " + kTolvex + " decode --json)");
    EXPECT_EQ(json.status, 0) << name << json.err;
    EXPECT_EQ(json.out, *to_json(**document) + "\n") << name;
    EXPECT_TRUE(nlohmann::json::accept(json.out)) << name;
    const ProcessResult xml = tolvex("decode --xml " + text_of(name));
    EXPECT_EQ(xml.out, *to_xml(**document) + "\n") << name;
    const ProcessResult summary = tolvex("decode " + text_of(name));
    EXPECT_EQ(summary.status, 0);
    const std::string expected = *tolvex::summary(**document);
    EXPECT_EQ(summary.out, expected.ends_with('\n') ? expected : expected + "\n") << name;
  }
}

TEST(Decode, AFailureIsDecodingsLineAndStatusOne) {
  const ProcessResult result = tolvex("decode 0123ABC");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(without_line_end(result.err), decode("0123ABC").error().line);
}

TEST(Make, WritesThePictureToStandardOutputAndNothingElse) {
  const TempDir scratch;
  for (const std::string& name : kExamples) {
    const std::string png = scratch.file(name + ".png");
    const ProcessResult piped = run_command("(" + kTolvex + " make --logo-dir " + shell_quote(kLogoDir) + " -o - " +
                                            shell_quote(example_path(name)) + " > " + shell_quote(png) + ")");
    EXPECT_EQ(piped.status, 0) << name << piped.err;
    EXPECT_EQ(piped.err, "");
    const std::string bytes = read_file(png);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
    // The same bytes as the file tolvexqr writes for the same document and options.
    const std::string reference = scratch.file(name + "-qr.png");
    ASSERT_EQ(run_command(kTolvexqr + " -l=" + shell_quote(kLogoDir) + " -f=" + shell_quote(reference),
                          example_path(name)).status, 0);
    EXPECT_EQ(bytes, read_file(reference)) << name;
  }
}

TEST(Make, APipeIntoAScannerGivesTheText) {
  for (const std::string name : {"pay-single", "invoice", "invoice-items"}) {
    const ProcessResult result = run_command("(" + kTolvex + " make --no-logo --size 400 -o - " +
                                             shell_quote(example_path(name)) + " | zbarimg -q --raw -)");
    EXPECT_EQ(without_line_end(result.out), text_of(name)) << name;
  }
}

struct FormatCase {
  std::string arguments;
  std::string output;
  std::string magic;
};

class MakeFormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(MakeFormatTest, FollowsTheOptionOrTheExtension) {
  const TempDir scratch;
  const std::string out = scratch.file(GetParam().output);
  const ProcessResult result = tolvex("make --no-logo -q " + GetParam().arguments + " -o " + shell_quote(out) + " " +
                                      shell_quote(example_path("invoice")));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");  // -q
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(read_file(out).substr(0, GetParam().magic.size()), GetParam().magic);
}

INSTANTIATE_TEST_SUITE_P(Cases, MakeFormatTest,
                         testing::Values(FormatCase{"", "a.png", "\x89PNG"}, FormatCase{"", "a.PDF", "%PDF"},
                                         FormatCase{"", "a.svg", "<?xml"}, FormatCase{"", "a.picture", "\x89PNG"},
                                         FormatCase{"--format=pdf", "a.png", "%PDF"},
                                         FormatCase{"--format svg", "a", "<?xml"}));

TEST(Make, SizeGivesThePlainPicturesSide) {
  const TempDir scratch;
  const std::string out = scratch.file("a.png");
  ASSERT_EQ(tolvex("make --no-logo --size=400 -o " + shell_quote(out) + " " + shell_quote(example_path("pay-single")))
                .status,
            0);
  const std::string png = read_file(out);
  ASSERT_GE(png.size(), 24u);
  const auto big_endian = [&png](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(big_endian(16), 400);
  EXPECT_EQ(big_endian(20), 400);
  const ProcessResult said = tolvex("make --no-logo --size=300 -o " + shell_quote(out) + " " + shell_quote(example_path("pay-single")));
  EXPECT_EQ(said.err, "wrote " + out + "\n");
}

// What pdfinfo says on one of its lines.
std::string pdfinfo(const std::string& file, const std::string& field) {
  const std::string report = "\n" + run_command("pdfinfo " + shell_quote(file)).out;
  const std::size_t at = report.find("\n" + field + ":");
  if (at == std::string::npos) return "(none)";
  const std::size_t begin = report.find_first_not_of(' ', at + field.size() + 2);
  return report.substr(begin, report.find('\n', begin) - begin);
}

TEST(Make, PrintsAtAPhysicalSizeThatReadsBackAt150Dpi) {
  const TempDir scratch;
  const std::string out = scratch.file("x.pdf");
  ASSERT_EQ(tolvex("make --no-logo --size=40mm -o " + shell_quote(out) + " " + shell_quote(example_path("invoice"))).status, 0);
  EXPECT_EQ(pdfinfo(out, "Page size"), "113.386 x 113.386 pts");
  EXPECT_EQ(pdfinfo(out, "Title"), "Invoice 2026010087");
  EXPECT_EQ(pdfinfo(out, "Tagged"), "yes");
  EXPECT_EQ(run_command("qpdf --check " + shell_quote(out)).status, 0);
  ASSERT_EQ(run_command("pdftoppm -png -r 150 -singlefile " + shell_quote(out) + " " + shell_quote(scratch.file("page"))).status, 0);
  EXPECT_EQ(test::zbar_decode(scratch.file("page.png")), text_of("invoice"));
  const ProcessResult read = tolvex("read --text " + shell_quote(scratch.file("page.png")));
  EXPECT_EQ(without_line_end(read.out), text_of("invoice")) << read.err;
}

TEST(Make, WritesTheSameCompactSvgEveryRunWithTheSummary) {
  const TempDir scratch;
  const std::string first = scratch.file("a.svg");
  const std::string second = scratch.file("b.svg");
  for (const std::string& out : {first, second}) {
    ASSERT_EQ(tolvex("make --no-logo -o " + shell_quote(out) + " " + shell_quote(example_path("pay-single"))).status, 0);
  }
  const std::string svg = read_file(first);
  EXPECT_EQ(svg, read_file(second));
  const Result<DocumentPtr<>> document = decode(text_of("pay-single"));
  ASSERT_TRUE(document);
  const Result<std::string> summary = tolvex::summary(**document);
  ASSERT_TRUE(summary);
  EXPECT_NE(svg.find("<title>" + summary->substr(0, summary->find('\n')) + "</title>"), std::string::npos);
  EXPECT_EQ(svg.find("id="), std::string::npos);
  ASSERT_EQ(run_command("rsvg-convert -z 4 -o " + shell_quote(scratch.file("a.png")) + " " + shell_quote(first)).status, 0);
  EXPECT_EQ(test::zbar_decode(scratch.file("a.png")), text_of("pay-single"));
}

TEST(Make, WritesTheLogoPictureForPrintAsVectorsTheSameInEveryProcess) {
  const TempDir scratch;
  for (const std::string extension : {"svg", "pdf"}) {
    const std::string first = scratch.file("a." + extension);
    const std::string second = scratch.file("b." + extension);
    for (const std::string& out : {first, second}) {
      ASSERT_EQ(tolvex("make -q --logo-dir " + shell_quote(kLogoDir) + " -o " + shell_quote(out) + " " +
                       shell_quote(example_path("invoice")))
                    .status,
                0);
    }
    EXPECT_EQ(read_file(first), read_file(second)) << extension;
    const std::string page = scratch.file("page");
    const std::string command = extension == "svg"
                                    ? "rsvg-convert -d 150 -p 150 -o " + shell_quote(page + ".png") + " " + shell_quote(first)
                                    : "pdftoppm -png -r 150 -singlefile " + shell_quote(first) + " " + shell_quote(page);
    ASSERT_EQ(run_command(command).status, 0) << command;
    EXPECT_EQ(test::zbar_decode(page + ".png"), text_of("invoice")) << extension;
    if (extension == "svg") {
      EXPECT_EQ(read_file(first).find("<image"), std::string::npos);
    } else {
      EXPECT_EQ(run_command("pdfimages -list " + shell_quote(first) + " | tail -n +3 | grep -q .").status, 1);
      EXPECT_EQ(run_command("qpdf --check " + shell_quote(first)).status, 0);
    }
  }
}

TEST(Make, ModuleSizeAndDpiGiveWholeModulesAndTheResolution) {
  const TempDir scratch;
  const std::string out = scratch.file("m.png");
  ASSERT_EQ(tolvex("make --no-logo --module-size=6 --margin=5 --dpi=300 --level=M -o " + shell_quote(out) + " " +
                   shell_quote(example_path("pay-single")))
                .status,
            0);
  const std::string png = read_file(out);
  const auto big_endian = [&png](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  // The side is whole modules of 6 pixels: the symbol and twice the margin.
  EXPECT_EQ(big_endian(16) % 6, 0);
  EXPECT_EQ((big_endian(16) / 6 - 10 - 17) % 4, 0);
  const std::size_t chunk = png.find("pHYs");
  ASSERT_NE(chunk, std::string::npos);
  EXPECT_EQ(big_endian(chunk + 4), 11811);
  EXPECT_EQ(big_endian(chunk + 8), 11811);
  EXPECT_EQ(test::zbar_decode(out), text_of("pay-single"));
}

TEST(Make, PutsTheCodeOnPaperAndRefusesPaperOutsidePdf) {
  const TempDir scratch;
  const std::string out = scratch.file("a4.pdf");
  ASSERT_EQ(tolvex("make --no-logo --size=40mm --paper=a4 --at=150,240 -o " + shell_quote(out) + " " +
                   shell_quote(example_path("invoice")))
                .status,
            0);
  EXPECT_EQ(pdfinfo(out, "Page size"), "595.276 x 841.89 pts (A4)");
  // Cropped to the picture's square at 150 dpi (2.5 mm of slack each side), the code reads back.
  const auto pixels = [](double mm) { return std::to_string(static_cast<int>(mm / 25.4 * 150)); };
  ASSERT_EQ(run_command("pdftoppm -png -r 150 -singlefile -x " + pixels(147.5) + " -y " + pixels(237.5) + " -W " +
                        pixels(45) + " -H " + pixels(45) + " " + shell_quote(out) + " " + shell_quote(scratch.file("crop")))
                .status,
            0);
  EXPECT_EQ(test::zbar_decode(scratch.file("crop.png")), text_of("invoice"));
  const ProcessResult png = tolvex("make --no-logo --paper=a4 -o " + shell_quote(scratch.file("a.png")) + " " +
                                   shell_quote(example_path("invoice")));
  EXPECT_EQ(png.status, 1);
  EXPECT_NE(png.err.find("Paper placement is only for PDF."), std::string::npos) << png.err;
}

TEST(Stamp, PutsTheCodeOnTheInvoicesPageAndNamesAPdfItCannotRead) {
  const TempDir scratch;
  const std::string invoice = scratch.file("invoice.pdf");
  ASSERT_EQ(tolvex("make --no-logo --paper=a4 --position=top-left --size=20mm -o " + shell_quote(invoice) + " " +
                   shell_quote(example_path("pay-single")))
                .status,
            0);
  const std::string out = scratch.file("out.pdf");
  const ProcessResult stamped = tolvex("stamp " + shell_quote(invoice) + " " + shell_quote(example_path("invoice")) +
                                       " --no-logo --page=1 --position=bottom-right --size=40mm -o " + shell_quote(out));
  ASSERT_EQ(stamped.status, 0) << stamped.err;
  EXPECT_EQ(stamped.err, "wrote " + out + "\n");
  EXPECT_EQ(run_command("qpdf --check " + shell_quote(out)).status, 0);
  // Both codes are on the page now: the one it had and the one stamped.
  ASSERT_EQ(run_command("pdftoppm -png -r 150 -singlefile " + shell_quote(out) + " " + shell_quote(scratch.file("page"))).status, 0);
  const ProcessResult read = tolvex("read --text " + shell_quote(scratch.file("page.png")));
  EXPECT_NE(read.out.find(text_of("invoice")), std::string::npos) << read.out << read.err;
  EXPECT_NE(read.out.find(text_of("pay-single")), std::string::npos) << read.out << read.err;

  const std::string notPdf = scratch.file("not.pdf");
  write_file(notPdf, "no PDF");
  const ProcessResult failed = tolvex("stamp --no-logo " + shell_quote(notPdf) + " " +
                                      shell_quote(example_path("invoice")) + " -o " + shell_quote(out));
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("ERROR_IO: Cannot read PDF document."), std::string::npos) << failed.err;
  const ProcessResult usage = tolvex("stamp " + shell_quote(invoice) + " --page=0 -o x.pdf");
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err, "tolvex stamp: --page: '0' is not a whole number from 1 to 1000000\n");
}

TEST(Make, TakesJsonAndEncodedTextsAndRefusesATextThatDoesNotDecode) {
  const TempDir scratch;
  const std::string text = text_of("pay-standing-order");
  write_file(scratch.file("code.txt"), text + "\n");
  const std::string out = scratch.file("a.png");
  const ProcessResult good = tolvex("make --no-logo --size=300 -o " + shell_quote(out), scratch.file("code.txt"));
  ASSERT_EQ(good.status, 0) << good.err;
  EXPECT_EQ(test::zbar_decode(out), text);

  const Result<DocumentPtr<>> document = decode(text);
  write_file(scratch.file("doc.json"), *to_json(**document));
  ASSERT_EQ(tolvex("make --no-logo --size=300 -o " + shell_quote(out) + " " + shell_quote(scratch.file("doc.json"))).status, 0);
  EXPECT_EQ(test::zbar_decode(out), text);

  // Letters that tolvexqr -i=base32hex would draw, but that decode into nothing.
  fs::remove(out);
  const ProcessResult refused = tolvex("make --no-logo --size=300 -o " + shell_quote(out) + " --from=text", "/dev/null");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, tolvex("decode \"\"").err);
  write_file(scratch.file("bad.txt"), "0123ABCDEFGH");
  const ProcessResult damaged = tolvex("make --no-logo --size=300 -o " + shell_quote(out) + " " + shell_quote(scratch.file("bad.txt")));
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.err, scratch.file("bad.txt") + ": " + tolvex("decode 0123ABCDEFGH").err);
  EXPECT_FALSE(fs::exists(out));
}

TEST(Make, AFileThatCannotBeWrittenIsNamedWithTheReason) {
  const TempDir scratch;
  const std::string out = scratch.file("missing/x.png");
  const ProcessResult result = tolvex("make --no-logo --size=300 -o " + shell_quote(out) + " " + shell_quote(example_path("invoice")));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR_IO: Cannot write " + out + ": No such file or directory\n");
  const ProcessResult input = tolvex("make -o x.png " + shell_quote(scratch.file("none.xml")));
  EXPECT_EQ(input.err, "ERROR_IO: Cannot read " + scratch.file("none.xml") + ": No such file or directory\n");
}

TEST(Make, LogosAreFoundByOptionThenEnvironmentAndAMissingOneIsNamed) {
  const TempDir scratch;
  const std::string out = scratch.file("a.png");
  const std::string input = shell_quote(example_path("invoice"));
  const std::string inFolder = "cd " + shell_quote(scratch.path()) + " && ";
  const ProcessResult missing = run_command(inFolder + "env -u TOLVEX_LOGO_DIR " + kTolvex + " make -o a.png " + input);
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            example_path("invoice") + ": ERROR_MISSING_LOGO: Cannot find logo file.  ./logo/invoice-bottom-dark.png\n");

  const ProcessResult byEnvironment =
      run_command(inFolder + "TOLVEX_LOGO_DIR=" + shell_quote(kLogoDir) + " " + kTolvex + " make -q -o a.png " + input);
  EXPECT_EQ(byEnvironment.status, 0) << byEnvironment.err;
  const std::string reference = scratch.file("qr.png");
  ASSERT_EQ(run_command(kTolvexqr + " -l=" + shell_quote(kLogoDir) + " -f=" + shell_quote(reference),
                        example_path("invoice")).status, 0);
  EXPECT_EQ(read_file(out), read_file(reference));

  const ProcessResult optionFirst = run_command(inFolder + "TOLVEX_LOGO_DIR=" + shell_quote(kLogoDir) + " " + kTolvex +
                                                " make --logo-dir=elsewhere --colour=gray -o a.png " + input);
  EXPECT_EQ(optionFirst.err,
            example_path("invoice") + ": ERROR_MISSING_LOGO: Cannot find logo file.  elsewhere/invoice-bottom-gray.png\n");
}

struct UsageCase {
  std::string arguments;
  std::string error;
};

class UsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, ExitsWithTwoAndOneLine) {
  const ProcessResult result = tolvex(GetParam().arguments);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, GetParam().error + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageTest,
    testing::Values(UsageCase{"make --no-logoo -o x.png", "tolvex make: unknown option '--no-logoo'; did you mean '--no-logo'?"},
                    UsageCase{"make --size=1e3 -o x.png", "tolvex make: --size: '1e3' is not a whole number from 1 to 8000"},
                    UsageCase{"encode --form=xml", "tolvex encode: unknown option '--form'; did you mean '--from'?"},
                    UsageCase{"decode --xlm", "tolvex decode: unknown option '--xlm'; did you mean '--xml'?"},
                    UsageCase{"read --frist a.png", "tolvex read: unknown option '--frist'; did you mean '--first'?"},
                    UsageCase{"batch --skip-exisitng -o out in", "tolvex batch: unknown option '--skip-exisitng'; did you mean '--skip-existing'?"},
                    UsageCase{"bacth", "tolvex: unknown command 'bacth'; did you mean 'batch'?"}));

TEST(HelpAndVersion, GoToStandardOutputWithStatusZero) {
  for (const std::string sub : {"", "encode ", "make ", "decode ", "read ", "batch "}) {
    const ProcessResult help = tolvex(sub + "--help");
    EXPECT_EQ(help.status, 0) << sub;
    EXPECT_NE(help.out.find("Example"), std::string::npos) << sub;
  }
  EXPECT_EQ(tolvex("--version").out, "tolvex 1.0.10\n");
}

// read, serve and stamp run in programs of their own beside the command: their statuses and
// output are the command's, a program that is missing is named, and a program runs only its job.
TEST(Programs, RunTheirSubcommandsAndAMissingOneIsNamed) {
  const TempDir scratch;
  const std::string picture = scratch.file("pay.png");
  ASSERT_EQ(tolvex("make -q --no-logo --module-size=4 -o " + shell_quote(picture) + " " +
                   shell_quote(example_path("pay-single")))
                .status,
            0);
  const ProcessResult read = tolvex("read --text " + shell_quote(picture));
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out, text_of("pay-single") + "\n");
  EXPECT_EQ(tolvex("read " + shell_quote(scratch.file("none.png"))).status, 1);
  EXPECT_EQ(tolvex("stamp --page=x in.pdf -o out.pdf").status, 2);

  // The command alone, without its programs beside it or installed relative to it.
  const std::string alone = scratch.file("tolvex");
  fs::copy_file(TOLVEX_COMMAND_PATH, alone);
  const ProcessResult missing = run_command(shell_quote(alone) + " read " + shell_quote(picture));
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("ERROR_IO: Cannot run the program.  ", 0), 0u) << missing.err;
  EXPECT_NE(missing.err.find("tolvex-read: No such file or directory"), std::string::npos) << missing.err;
  // What needs no program still runs.
  EXPECT_EQ(run_command(shell_quote(alone) + " encode " + shell_quote(example_path("pay-single"))).status, 0);

  const std::string program = (fs::path(TOLVEX_COMMAND_PATH).parent_path() / "tolvex-read").string();
  const ProcessResult other =
      run_command(shell_quote(program) + " encode " + shell_quote(example_path("pay-single")));
  EXPECT_EQ(other.status, 2);
  EXPECT_EQ(other.out, "");
}

TEST(Bounds, StandardInputPastSixteenMebibytesIsRefused) {
  const TempDir scratch;
  write_file(scratch.file("big"), std::string(20u << 20, '<'));
  const ProcessResult result = tolvex("encode", scratch.file("big"));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR_ILLEGAL_ARGUMENT: Standard input too large, more than 16 MiB.  \n");
}

// Pictures and a PDF with our codes, and one foreign code, to read back.
class ReadTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string pay = text_of("pay-single");
    const std::string invoice = text_of("invoice");
    const SurfacePtr payCode = test::plain_code(pay, 4);
    const SurfacePtr invoiceCode = test::plain_code(invoice, 4);
    const SurfacePtr foreign = test::plain_code("https://example.com/pay", 4);
    const test::Bytes png = test::png_of(payCode.get());
    write_file(pngFile(), std::string(png.begin(), png.end()));
    const test::Bytes pdf = test::pdf_of({{{invoiceCode.get(), 20, 40, 50}}, {{foreign.get(), 20, 40, 50}, {payCode.get(), 120, 40, 50}}});
    write_file(pdfFile(), std::string(pdf.begin(), pdf.end()));
    const test::Bytes other = test::png_of(foreign.get());
    write_file(foreignFile(), std::string(other.begin(), other.end()));
    payText = pay;
    invoiceText = invoice;
  }
  std::string pngFile() const { return scratch.file("pay.png"); }
  std::string pdfFile() const { return scratch.file("letters.pdf"); }
  std::string foreignFile() const { return scratch.file("url.png"); }

  TempDir scratch;
  std::string payText;
  std::string invoiceText;
};

TEST_F(ReadTest, JsonNamesEveryCodeByFileAndPage) {
  const ProcessResult result = tolvex("read --json " + shell_quote(pngFile()) + " " + shell_quote(pdfFile()));
  ASSERT_EQ(result.status, 0) << result.err;
  const nlohmann::json codes = nlohmann::json::parse(result.out);
  ASSERT_TRUE(codes.is_array());
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes[0]["file"], pngFile());
  EXPECT_EQ(codes[0]["page"], 1);
  EXPECT_EQ(codes[0]["tolvex"], true);
  EXPECT_EQ(codes[0]["text"], payText);
  EXPECT_EQ(codes[0]["document"], nlohmann::json::parse(*to_json(**decode(payText))));
  EXPECT_EQ(codes[1]["file"], pdfFile());
  EXPECT_EQ(codes[1]["page"], 1);
  EXPECT_EQ(codes[1]["text"], invoiceText);
  bool foreignSeen = false;
  bool paySeen = false;
  for (std::size_t i = 2; i < codes.size(); ++i) {
    EXPECT_EQ(codes[i]["page"], 2);
    if (codes[i]["tolvex"] == false) {
      foreignSeen = true;
      EXPECT_FALSE(codes[i].contains("document"));
      EXPECT_NE(codes[i]["error"].get<std::string>().find("Not a tolvex code."), std::string::npos);
    } else {
      paySeen = codes[i]["text"] == payText;
    }
  }
  EXPECT_TRUE(paySeen);
  (void)foreignSeen;  // reading stops on a page once a tolvex code decoded, so the URL may go unseen
}

TEST_F(ReadTest, CsvHasARowAPayment) {
  const ProcessResult result = tolvex("read --csv --first " + shell_quote(pdfFile()) + " " + shell_quote(pngFile()));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "file,page,family,amount,currency,account,due_date,invoice_id,variable_symbol,constant_symbol,specific_symbol\n" +
                pdfFile() + ",1,Invoice,4376,CZK,,,2026010087,,,\n" + pngFile() +
                ",1,Pay,12480,CZK,CZ6308000000002847561937,2026-03-16,FV-2026-0142,2026000142,0308,\n");
}

TEST_F(ReadTest, TextAndFirstGiveTheBareTexts) {
  const ProcessResult first = tolvex("read --text --first " + shell_quote(pdfFile()) + " " + shell_quote(pngFile()));
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, invoiceText + "\n" + payText + "\n");
  const ProcessResult all = tolvex("read --text " + shell_quote(pdfFile()));
  EXPECT_NE(all.out.find(payText + "\n"), std::string::npos);
}

TEST_F(ReadTest, SummaryIsNamedByFileAndPageAndAFileWithoutADocumentFails) {
  const ProcessResult result = tolvex("read " + shell_quote(pngFile()) + " " + shell_quote(foreignFile()));
  EXPECT_EQ(result.status, 1);
  const std::string summary = *tolvex::summary(**decode(payText));
  EXPECT_EQ(result.out.substr(0, pngFile().size() + 9), pngFile() + ", page 1:");
  EXPECT_NE(result.err.find(foreignFile()), std::string::npos);
  EXPECT_NE(result.err.find("ERROR_BAD_FORMAT: Not a tolvex code."), std::string::npos);
  const ProcessResult quiet = tolvex("read -q " + shell_quote(pngFile()));
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_FALSE(summary.empty());
}

// File names are bytes: one that is not UTF-8 is named with U+FFFD in the JSON, not a crash.
TEST_F(ReadTest, JsonNamesAFileWhoseNameIsNotUtf8) {
  const std::string odd = scratch.file("pay-\xff.png");
  const std::string bytes = read_file(pngFile());
  write_file(odd, bytes);
  const ProcessResult result = tolvex("read --json " + shell_quote(odd));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("pay-\xef\xbf\xbd.png"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\"tolvex\": true"), std::string::npos) << result.out;
}

// A file that reads for minutes (a hundred blank pages of 1920 points) ends at --timeout with
// its own error, and the next file still reads.
TEST_F(ReadTest, TimeoutEndsAFileAndTheNextReads) {
  const std::string slow = scratch.file("slow.pdf");
  const test::Bytes pdf = test::blank_pdf(100, 1920, 1920);
  write_file(slow, std::string(pdf.begin(), pdf.end()));
  const ProcessResult result = tolvex("read --text --timeout=1 " + shell_quote(slow) + " " + shell_quote(pngFile()));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "ERROR_IO: File could not be read: it took longer than 1 s.  " + slow + "\n");
  EXPECT_EQ(result.out, payText + "\n");
  const ProcessResult usage = tolvex("read --timeout=0 " + shell_quote(pngFile()));
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err, "tolvex read: --timeout: '0' is not a whole number from 1 to 3600\n");
}

TEST(Batch, MirrorsFoldersSkipsWhatIsThereAndReportsEachDocument) {
  const TempDir scratch;
  const std::string in = scratch.file("in");
  fs::create_directories(in + "/2024/01");
  fs::create_directories(in + "/2024/02");
  fs::copy_file(example_path("invoice"), in + "/2024/01/invoice.xml");
  fs::copy_file(example_path("pay-single"), in + "/2024/02/invoice.xml");  // the same name elsewhere
  write_file(in + "/2024/02/broken.xml", "<Pay>");
  const std::string out = scratch.file("out");
  const std::string report = scratch.file("report.jsonl");
  const std::string common = " --no-logo --size=300 -R --mirror -o " + shell_quote(out) + " " + shell_quote(in);

  const ProcessResult first = tolvex("batch --report " + shell_quote(report) + common);
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(test::zbar_decode(out + "/2024/01/invoice.png"), text_of("invoice"));
  EXPECT_EQ(test::zbar_decode(out + "/2024/02/invoice.png"), text_of("pay-single"));
  EXPECT_NE(first.err.find(in + "/2024/02/broken.xml: ERROR_"), std::string::npos);

  std::vector<nlohmann::json> lines;
  std::istringstream reported(read_file(report));
  for (std::string line; std::getline(reported, line);) lines.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]["input"], in + "/2024/01/invoice.xml");
  EXPECT_EQ(lines[0]["output"], out + "/2024/01/invoice.png");
  EXPECT_EQ(lines[1]["input"], in + "/2024/02/broken.xml");
  EXPECT_TRUE(lines[1]["error"].get<std::string>().starts_with("ERROR_"));
  EXPECT_FALSE(lines[1].contains("output"));
  EXPECT_EQ(lines[2]["output"], out + "/2024/02/invoice.png");

  // Resuming: a picture already there is kept as it is.
  write_file(out + "/2024/01/invoice.png", "kept");
  const ProcessResult again = tolvex("batch --skip-existing" + common);
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(read_file(out + "/2024/01/invoice.png"), "kept");
  EXPECT_NE(again.err.find("2 already there"), std::string::npos);

  // Without --mirror the two invoice.xml would write one picture: refused as a usage error.
  const ProcessResult clash = tolvex("batch -R --no-logo -o " + shell_quote(scratch.file("flat")) + " " + shell_quote(in));
  EXPECT_EQ(clash.status, 2);
  EXPECT_NE(clash.err.find("Two inputs would write the same picture"), std::string::npos);
}

TEST(Batch, ReadsJsonAndTextsAndRefusesATextThatDoesNotDecode) {
  const TempDir scratch;
  const std::string in = scratch.file("in");
  fs::create_directories(in);
  write_file(in + "/a.json", *to_json(**decode(text_of("invoice-items"))));
  write_file(in + "/b.txt", text_of("pay-direct-debit") + "\n");
  write_file(in + "/c.txt", "0123ABCDEFGH\n");
  const std::string out = scratch.file("out");
  const ProcessResult result = tolvex("batch -q --no-logo --size=300 -o " + shell_quote(out) + " " + shell_quote(in));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(test::zbar_decode(out + "/a.png"), text_of("invoice-items"));
  EXPECT_EQ(test::zbar_decode(out + "/b.png"), text_of("pay-direct-debit"));
  EXPECT_FALSE(fs::exists(out + "/c.png"));
  EXPECT_NE(result.err.find(in + "/c.txt: " + decode("0123ABCDEFGH").error().line), std::string::npos);
}


TEST(Batch, TakesThePrintOptionsOfMakeAndWritesWhatMakeWrites) {
  const TempDir scratch;
  const std::string in = scratch.file("in");
  fs::create_directories(in);
  fs::copy_file(example_path("invoice"), in + "/invoice.xml");
  fs::copy_file(example_path("pay-single"), in + "/pay.xml");
  struct Case {
    std::string options;
    std::string extension;
  };
  for (const Case& c : {Case{"--logo-dir " + shell_quote(kLogoDir) + " --format=svg --margin=6 --level=M", "svg"},
                        Case{"--logo-dir " + shell_quote(kLogoDir) + " --format=pdf --size=50mm --paper=a5 --position=centre", "pdf"},
                        Case{"--no-logo --module-size=5 --margin=7 --dpi=300 --boost-level", "png"},
                        Case{"--no-logo --size=30mm --format=pdf --level=Q", "pdf"}}) {
    const std::string out = scratch.file("out");
    fs::remove_all(out);
    ASSERT_EQ(tolvex("batch -q " + c.options + " -o " + shell_quote(out) + " " + shell_quote(in)).status, 0) << c.options;
    for (const std::string name : {"invoice", "pay"}) {
      const std::string batched = out + "/" + name + "." + c.extension;
      const std::string made = scratch.file("made." + c.extension);
      ASSERT_EQ(tolvex("make -q " + c.options + " -o " + shell_quote(made) + " " + shell_quote(in + "/" + name + ".xml")).status, 0);
      EXPECT_EQ(read_file(batched), read_file(made)) << c.options << " " << name;
    }
  }
  // The figures that tell the options did their work, on the last documents of each kind.
  const std::string out = scratch.file("out");
  ASSERT_EQ(tolvex("batch -q --no-logo --format=pdf --paper=a5 --at=20,30 -o " + shell_quote(out) + " " + shell_quote(in)).status, 0);
  EXPECT_EQ(pdfinfo(out + "/invoice.pdf", "Page size"), "419.528 x 595.276 pts");
  EXPECT_EQ(pdfinfo(out + "/invoice.pdf", "Title"), "Invoice 2026010087");
  const ProcessResult refused = tolvex("batch -q --module-size=5 --logo-dir " + shell_quote(kLogoDir) + " -o " +
                                       shell_quote(scratch.file("refused")) + " " + shell_quote(in));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("Module size applies to the code without logo"), std::string::npos) << refused.err;
}

// A payment order with two warnings and no error: an unknown element and wrong check digits.
std::string warned_payment() {
  std::string xml = read_file(example_path("pay-single"));
  xml.replace(xml.find("CZ6308000000002847561937"), 24, "CZ6308000000002847561938");
  xml.replace(xml.find("<PaymentNote>"), 0, "<Colour>red</Colour>");
  return xml;
}

TEST(Check, ReportsLinesLikeACompilerAndExitsByWhatItFound) {
  const TempDir scratch;
  const std::string warned = scratch.file("warned.xml");
  write_file(warned, warned_payment());
  const ProcessResult plain = tolvex("check " + shell_quote(warned) + " " + shell_quote(example_path("invoice")));
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find(warned + ":12:7: warning: Element is not known at this place (Colour) [xml.unknown-element]\n"),
            std::string::npos)
      << plain.out;
  EXPECT_NE(plain.out.find(warned + ":15:11: warning: IBAN check digits do not match (CZ6308000000002847561938) "
                                    "[pay.bank-account.iban.check-digits]\n"),
            std::string::npos)
      << plain.out;
  EXPECT_NE(plain.out.find(warned + ": 0 errors, 2 warnings\n"), std::string::npos);
  EXPECT_NE(plain.out.find(example_path("invoice") + ": 0 errors, 0 warnings\n"), std::string::npos);

  const ProcessResult strict = tolvex("check --strict --json " + shell_quote(warned));
  EXPECT_EQ(strict.status, 1);
  const nlohmann::json report = nlohmann::json::parse(strict.out);
  EXPECT_EQ(report["file"], warned);
  EXPECT_EQ(report["valid"], false);
  ASSERT_EQ(report["diagnostics"].size(), 2u);
  EXPECT_EQ(report["diagnostics"][0]["severity"], "error");

  // An error: the first one is tolvexqr's line for the document; from standard input too.
  const std::string broken = scratch.file("broken.xml");
  std::string xml = read_file(example_path("pay-single"));
  xml.replace(xml.find("CZK"), 3, "CZKK");
  write_file(broken, xml);
  const ProcessResult tolvexqr = run_command(kTolvexqr + " -f=" + shell_quote(scratch.file("x.png")), broken);
  const ProcessResult failing = tolvex("check --json", broken);
  EXPECT_EQ(failing.status, 1);
  const nlohmann::json failed = nlohmann::json::parse(failing.out);
  EXPECT_EQ(failed["file"], "<stdin>");
  EXPECT_EQ(std::string(failed["diagnostics"][0]["errorLine"]) + "\n", tolvexqr.err);
  EXPECT_EQ(tolvex("check --no-such-option").status, 2);
}

TEST(Check, StrictMakeAndBatchDrawNothingWhileWarningsOnlyAreShown) {
  const TempDir scratch;
  const std::string warned = scratch.file("warned.xml");
  write_file(warned, warned_payment());
  const std::string picture = scratch.file("warned.png");
  const ProcessResult lenient = tolvex("make --no-logo -o " + shell_quote(picture) + " " + shell_quote(warned));
  EXPECT_EQ(lenient.status, 0) << lenient.err;
  EXPECT_TRUE(fs::exists(picture));
  EXPECT_NE(lenient.err.find("warning: IBAN check digits do not match"), std::string::npos) << lenient.err;
  const ProcessResult quiet = tolvex("make --no-logo -q -o " + shell_quote(scratch.file("q.png")) + " " + shell_quote(warned));
  EXPECT_EQ(quiet.err, "");

  const std::string refused = scratch.file("refused.png");
  const ProcessResult strict = tolvex("make --strict --no-logo -o " + shell_quote(refused) + " " + shell_quote(warned));
  EXPECT_EQ(strict.status, 1);
  EXPECT_FALSE(fs::exists(refused));
  EXPECT_NE(strict.err.find(warned + ":15:11: error: IBAN check digits do not match"), std::string::npos) << strict.err;

  const std::string out = scratch.file("codes");
  const ProcessResult batch = tolvex("batch --strict --no-logo -q -o " + shell_quote(out) + " " + shell_quote(warned) +
                                     " " + shell_quote(example_path("invoice")));
  EXPECT_EQ(batch.status, 1);
  EXPECT_TRUE(fs::exists(out + "/invoice.png"));
  EXPECT_FALSE(fs::exists(out + "/warned.png"));
  EXPECT_NE(batch.err.find(warned + ": ERROR_INVALID_VALUE: Refused by the strict check"), std::string::npos) << batch.err;
}

}  // namespace
}  // namespace tolvex
