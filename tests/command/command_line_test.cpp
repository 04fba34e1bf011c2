// The tolvex command line parsed alone: what each subcommand takes, the one-line usage errors
// with the option meant, and the close-name suggestions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/command_line.h"

namespace tolvex::command {
namespace {

CommandLine parse(const std::vector<std::string>& arguments) { return parse_command_line(arguments); }

template <typename T>
T job_of(const std::vector<std::string>& arguments) {
  const CommandLine line = parse(arguments);
  EXPECT_EQ(line.usageError, "");
  EXPECT_TRUE(line.job.has_value());
  if (!line.job || !std::holds_alternative<T>(*line.job)) {
    ADD_FAILURE() << "another job";
    return T{};
  }
  return std::get<T>(*line.job);
}

struct UsageCase {
  std::vector<std::string> arguments;
  std::string error;  // the whole line
};

class UsageErrorTest : public testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrorTest, IsOneLineNamingTheOption) {
  const CommandLine line = parse(GetParam().arguments);
  EXPECT_FALSE(line.job.has_value());
  EXPECT_EQ(line.usageError, GetParam().error);
  EXPECT_EQ(line.usageError.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UsageErrorTest,
    testing::Values(
        UsageCase{{"make", "--no-logoo", "-o", "x.png"}, "tolvex make: unknown option '--no-logoo'; did you mean '--no-logo'?"},
        UsageCase{{"make", "--no_logo", "-o", "x.png"}, "tolvex make: unknown option '--no_logo'; did you mean '--no-logo'?"},
        UsageCase{{"make", "--sise=4", "-o", "x.png"}, "tolvex make: unknown option '--sise'; did you mean '--size'?"},
        UsageCase{{"make", "--frobnicate", "-o", "x.png"}, "tolvex make: unknown option '--frobnicate'"},
        UsageCase{{"decode", "--jsno"}, "tolvex decode: unknown option '--jsno'; did you mean '--json'?"},
        UsageCase{{"read", "--cvs", "a.png"}, "tolvex read: unknown option '--cvs'; did you mean '--csv'?"},
        UsageCase{{"read", "--timeout=0", "a.png"}, "tolvex read: --timeout: '0' is not a whole number from 1 to 3600"},
        UsageCase{{"read", "--timeout=3601", "a.png"}, "tolvex read: --timeout: '3601' is not a whole number from 1 to 3600"},
        UsageCase{{"read", "--timeout=2.5", "a.png"}, "tolvex read: --timeout: '2.5' is not a whole number from 1 to 3600"},
        UsageCase{{"batch", "--mirorr", "-o", "out", "in"}, "tolvex batch: unknown option '--mirorr'; did you mean '--mirror'?"},
        UsageCase{{"make", "--size=1e3", "-o", "x.png"}, "tolvex make: --size: '1e3' is not a whole number from 1 to 8000"},
        UsageCase{{"make", "--size=-5", "-o", "x.png"}, "tolvex make: --size: '-5' is not a whole number from 1 to 8000"},
        UsageCase{{"make", "--size", "abc", "-o", "x.png"}, "tolvex make: --size: 'abc' is not a whole number from 1 to 8000"},
        UsageCase{{"make", "--size=0", "-o", "x.png"}, "tolvex make: --size: '0' is not a whole number from 1 to 8000"},
        UsageCase{{"make", "--size=8001", "-o", "x.png"}, "tolvex make: --size: '8001' is not a whole number from 1 to 8000"},
        UsageCase{{"make", "--placement=middle", "-o", "x.png"},
                  "tolvex make: --placement: 'middle' is not one of bottom, top, left, right"},
        UsageCase{{"make", "--colour", "red", "-o", "x.png"},
                  "tolvex make: --colour: 'red' is not one of dark, medium, light, gray"},
        UsageCase{{"make", "--format=gif", "-o", "x.png"}, "tolvex make: --format: 'gif' is not one of png, svg, pdf"},
        UsageCase{{"encode", "--from=text"}, "tolvex encode: --from: 'text' is not one of xml, json"},
        UsageCase{{"make", "a.xml"}, "tolvex make: --output is required"},
        UsageCase{{"make", "a.xml", "b.xml", "-o", "x.png"}, "tolvex make: unexpected argument 'b.xml'"},
        UsageCase{{"encode", "a.xml", "b.xml"}, "tolvex encode: unexpected argument 'b.xml'"},
        UsageCase{{"batch", "-j", "0", "-o", "out", "in"}, "tolvex batch: --jobs: '0' is not a whole number from 1 to 256"},
        UsageCase{{"batch", "in"}, "tolvex batch: --output is required"},
        UsageCase{{"mak", "a.xml"}, "tolvex: unknown command 'mak'; did you mean 'make'?"},
        UsageCase{{"paint"}, "tolvex: unknown command 'paint'"},
        UsageCase{{"--verison"}, "tolvex: unknown option '--verison'; did you mean '--version'?"},
        UsageCase{{}, "tolvex: no command given; one of encode, make, decode, read, batch, check, stamp, serve (see 'tolvex --help')"},
        UsageCase{{"make", "--size=0mm", "-o", "x.pdf"}, "tolvex make: --size: '0mm' is not a length above 0"},
        UsageCase{{"make", "--size=40cm", "-o", "x.pdf"}, "tolvex make: --size: '40cm' is not a whole number from 1 to 8000"},
        UsageCase{{"make", "--module-size=0", "-o", "x.png"},
                  "tolvex make: --module-size: '0' is not a whole number from 1 to 100"},
        UsageCase{{"make", "--margin=3", "-o", "x.png"}, "tolvex make: --margin: '3' is not a whole number from 4 to 100"},
        UsageCase{{"make", "--dpi=0", "-o", "x.png"}, "tolvex make: --dpi: '0' is not a whole number from 1 to 10000"},
        UsageCase{{"make", "--level=X", "-o", "x.png"}, "tolvex make: --level: 'X' is not one of L, M, Q, H"},
        UsageCase{{"make", "--paper=a3", "-o", "x.pdf"}, "tolvex make: --paper: 'a3' is not one of a4, a5, a6, letter"},
        UsageCase{{"make", "--at=150,240", "-o", "x.pdf"}, "tolvex make: --at requires --paper"},
        UsageCase{{"make", "--paper=a4", "--at=150", "-o", "x.pdf"},
                  "tolvex make: --at: '150' is not two millimetre values X,Y such as 150,240"},
        UsageCase{{"make", "--paper=a4", "--at=1,-2", "-o", "x.pdf"},
                  "tolvex make: --at: '1,-2' is not two millimetre values X,Y such as 150,240"},
        UsageCase{{"make", "--paper=a4", "--page-margin=10", "-o", "x.pdf"},
                  "tolvex make: --page-margin: '10' is not a length such as 10mm, 0.5in or 36pt"}));

TEST(UsageError, NamesTheExclusiveChoicesGivenTogether) {
  EXPECT_NE(parse({"decode", "--xml", "--json"}).usageError.find("--xml"), std::string::npos);
  EXPECT_NE(parse({"read", "--csv", "--text", "a.png"}).usageError.find("--csv"), std::string::npos);
  EXPECT_NE(parse({"make", "-o"}).usageError.find("-o"), std::string::npos);
  EXPECT_NE(parse({"read"}).usageError.find("files"), std::string::npos);
}

TEST(MakeOptions, TakeBothSpellingsOfAValue) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"make", "--size=400", "--colour=gray", "--placement=left", "-o", "x.svg", "in.xml"},
        std::vector<std::string>{"make", "--size", "400", "--color", "gray", "--placement", "left", "--output=x.svg", "in.xml"}}) {
    const MakeJob job = job_of<MakeJob>(arguments);
    EXPECT_EQ(job.picture.size, 400);
    EXPECT_EQ(job.picture.colour, "gray");
    EXPECT_EQ(job.picture.placement, "left");
    EXPECT_EQ(job.output, "x.svg");
    EXPECT_EQ(job.file, "in.xml");
  }
}

TEST(MakeOptions, DefaultsAndFlags) {
  const MakeJob plain = job_of<MakeJob>({"make", "-o", "-"});
  EXPECT_FALSE(plain.file.has_value());
  EXPECT_EQ(plain.output, "-");
  EXPECT_EQ(plain.picture.size, 0);
  EXPECT_FALSE(plain.picture.noLogo);
  EXPECT_FALSE(plain.picture.quiet);
  const MakeJob flags = job_of<MakeJob>(
      {"make", "--no-logo", "--no-frame", "-q", "--from=text", "--format=pdf", "--logo-dir=art", "-o", "x"});
  EXPECT_TRUE(flags.picture.noLogo);
  EXPECT_TRUE(flags.picture.noFrame);
  EXPECT_TRUE(flags.picture.quiet);
  EXPECT_EQ(flags.picture.from, "text");
  EXPECT_EQ(flags.picture.format, "pdf");
  EXPECT_EQ(flags.picture.logoDir, "art");
}

TEST(PictureOptions, FollowTheChoices) {
  PictureChoices choices;
  choices.size = 300;
  choices.placement = "right";
  choices.colour = "light";
  choices.noFrame = true;
  const PictureOptions logo = picture_options(choices, ImageFormat::svg, "art/");
  EXPECT_EQ(logo.format, ImageFormat::svg);
  EXPECT_EQ(logo.size, 300);
  ASSERT_TRUE(logo.logo.has_value());
  EXPECT_EQ(logo.logo->directory, "art/");
  EXPECT_EQ(logo.logo->rotation, LogoRotation::right);
  EXPECT_EQ(logo.logo->variation, LogoVariation::light);
  EXPECT_FALSE(logo.logo->frame);
  choices.noLogo = true;
  EXPECT_FALSE(picture_options(choices, ImageFormat::png, "art/").logo.has_value());
}

TEST(PrintOptions, FollowTheChoices) {
  const MakeJob job = job_of<MakeJob>({"make", "--no-logo", "--size=1.5in", "--margin=6", "--dpi=300", "--level=Q",
                                       "--boost-level", "--paper=letter", "--position=bottom-right",
                                       "--page-margin=36pt", "-o", "x.pdf"});
  const PictureOptions options = picture_options(job.picture, ImageFormat::pdf, "");
  EXPECT_EQ(options.size, 0);
  ASSERT_TRUE(options.physicalSize.has_value());
  EXPECT_EQ(options.physicalSize->value, 1.5);
  EXPECT_EQ(options.physicalSize->unit, LengthUnit::inch);
  EXPECT_EQ(options.margin, 6);
  EXPECT_EQ(options.dpi, 300);
  EXPECT_EQ(options.level, ErrorCorrection::quartile);
  EXPECT_TRUE(options.boostLevel);
  ASSERT_TRUE(options.paper.has_value());
  EXPECT_EQ(options.paper->paper, Paper::letter);
  EXPECT_EQ(options.paper->position, PagePosition::bottom_right);
  EXPECT_FALSE(options.paper->at.has_value());
  EXPECT_EQ(options.paper->pageMargin.value, 36);
  EXPECT_EQ(options.paper->pageMargin.unit, LengthUnit::point);

  const MakeJob at = job_of<MakeJob>({"make", "--size=400", "--module-size=6", "--paper=a4", "--at=150,240.5", "-o", "x"});
  const PictureOptions placed = picture_options(at.picture, ImageFormat::pdf, "");
  EXPECT_EQ(placed.size, 400);
  EXPECT_FALSE(placed.physicalSize.has_value());
  EXPECT_EQ(placed.moduleSize, 6);
  EXPECT_EQ(placed.level, ErrorCorrection::low);
  ASSERT_TRUE(placed.paper && placed.paper->at);
  EXPECT_EQ(placed.paper->at->x.value, 150);
  EXPECT_EQ(placed.paper->at->y.value, 240.5);
  EXPECT_EQ(placed.paper->at->y.unit, LengthUnit::millimetre);
  EXPECT_EQ(placed.paper->pageMargin.value, 10);
  EXPECT_FALSE(job_of<MakeJob>({"make", "-o", "x"}).picture.paper.has_value());
}

TEST(Lengths, TakeTheirUnitsAndRefuseTheRest) {
  struct Case {
    const char* text;
    std::optional<std::pair<double, LengthUnit>> length;
  };
  const Case cases[] = {{"40mm", {{40, LengthUnit::millimetre}}}, {"0.5in", {{0.5, LengthUnit::inch}}},
                        {"113.4pt", {{113.4, LengthUnit::point}}}, {"40", std::nullopt},
                        {"mm", std::nullopt},  {"-3mm", std::nullopt}, {"0pt", std::nullopt},
                        {"4 mm", std::nullopt}, {"infmm", std::nullopt}, {"40MM", std::nullopt}};
  for (const Case& c : cases) {
    const std::optional<Length> length = length_named(c.text);
    ASSERT_EQ(length.has_value(), c.length.has_value()) << c.text;
    if (!length) continue;
    EXPECT_EQ(length->value, c.length->first) << c.text;
    EXPECT_EQ(length->unit, c.length->second) << c.text;
  }
}

TEST(OtherJobs, TakeTheirOptions) {
  const DecodeJob decode = job_of<DecodeJob>({"decode", "--json", "ABC"});
  EXPECT_TRUE(decode.json);
  EXPECT_FALSE(decode.xml);
  EXPECT_EQ(decode.text, "ABC");
  const ReadJob read = job_of<ReadJob>({"read", "--first", "--csv", "a.png", "b.pdf"});
  EXPECT_TRUE(read.first);
  EXPECT_TRUE(read.csv);
  EXPECT_EQ(read.files, (std::vector<std::string>{"a.png", "b.pdf"}));
  EXPECT_EQ(read.timeoutSeconds, 10);
  EXPECT_EQ(job_of<ReadJob>({"read", "--timeout=3", "a.png"}).timeoutSeconds, 3);
  EXPECT_EQ(job_of<ReadJob>({"read", "--timeout", "3600", "a.png"}).timeoutSeconds, 3600);
  const BatchJob batch = job_of<BatchJob>(
      {"batch", "-R", "--mirror", "--skip-existing", "--report=r.jsonl", "-j", "3", "-o", "out", "in", "-"});
  EXPECT_TRUE(batch.recursive);
  EXPECT_TRUE(batch.mirror);
  EXPECT_TRUE(batch.skipExisting);
  EXPECT_EQ(batch.report, "r.jsonl");
  EXPECT_EQ(batch.threads, 3);
  EXPECT_EQ(batch.output, "out");
  EXPECT_EQ(batch.paths, (std::vector<std::string>{"in", "-"}));
  EXPECT_EQ(job_of<EncodeJob>({"encode", "--from", "json", "-"}).from, "json");
}

TEST(HelpAndVersion, AreTextsToPrint) {
  const CommandLine version = parse({"--version"});
  EXPECT_EQ(version.output, "tolvex 1.0.10\n");
  EXPECT_FALSE(version.job.has_value());
  for (const char* sub : {"encode", "make", "decode", "read", "batch"}) {
    const CommandLine help = parse({sub, "--help"});
    EXPECT_EQ(help.usageError, "") << sub;
    EXPECT_NE(help.output.find(std::string("tolvex ") + sub), std::string::npos) << sub;
    EXPECT_NE(help.output.find("Example"), std::string::npos) << sub;
  }
  EXPECT_NE(parse({"--help"}).output.find("Exit status"), std::string::npos);
}

TEST(Closest, SuggestsOnlyANameThatIsNear) {
  const std::vector<std::string> names = {"--no-logo", "--no-frame", "--size", "-o", "--output"};
  EXPECT_EQ(closest("--no-frme", names), "--no-frame");
  EXPECT_EQ(closest("--outptu", names), "--output");
  EXPECT_EQ(closest("--zzz", names), std::nullopt);
  EXPECT_EQ(closest("-x", names), std::nullopt);      // too short to guess from
  EXPECT_EQ(closest("--size", names), std::nullopt);  // nothing to suggest for a name that exists
}

TEST(Bounds, AHugeArgumentListIsOneUsageError) {
  std::vector<std::string> arguments = {"make", "-o", "x.png"};
  arguments.resize(100000, "surplus.xml");
  const CommandLine line = parse(arguments);
  EXPECT_FALSE(line.job.has_value());
  EXPECT_EQ(line.usageError, "tolvex make: unexpected argument 'surplus.xml'");
  std::vector<std::string> files = {"read"};
  files.resize(100000, "a.png");
  EXPECT_EQ(job_of<ReadJob>(files).files.size(), 99999u);
}


TEST(CheckOptions, FilesFlagsAndStrictOfMakeAndBatch) {
  const CheckJob check = job_of<CheckJob>({"check", "--strict", "--json", "-q", "a.xml", "b.json"});
  EXPECT_TRUE(check.strict);
  EXPECT_TRUE(check.json);
  EXPECT_TRUE(check.quiet);
  EXPECT_EQ(check.files, (std::vector<std::string>{"a.xml", "b.json"}));
  const CheckJob plain = job_of<CheckJob>({"check"});
  EXPECT_FALSE(plain.strict);
  EXPECT_TRUE(plain.files.empty());
  EXPECT_TRUE(job_of<MakeJob>({"make", "--strict", "-o", "-"}).strict);
  EXPECT_FALSE(job_of<MakeJob>({"make", "-o", "-"}).strict);
  EXPECT_TRUE(job_of<BatchJob>({"batch", "--strict", "-o", "out", "in"}).strict);
}

}  // namespace
}  // namespace tolvex::command
