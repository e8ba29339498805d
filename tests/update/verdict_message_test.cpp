// The colour and text of each verdict in both languages, and the whole road from the
// bytes of a file to what the panel shows.

#include <gtest/gtest.h>

#include <string>

#include "update/code_points.h"
#include "update/site.h"
#include "update/verdict_message.h"

namespace vantrelle::update {
namespace {

const std::string kHost(site::SiteHost);

TEST(CurrentVersion, IsTheText1Dot0) {
    EXPECT_EQ(CurrentVersion.major, "1");
    EXPECT_EQ(CurrentVersion.minor, "0");
}

TEST(VerdictColours, AreBlueForResultsAndRedForErrorsInBothLanguages) {
    for (Language language : {Language::English, Language::Farsi}) {
        EXPECT_EQ(VerdictMessage(UpToDate{}, language).color, (ui::Color{0, 0, 255}));
        EXPECT_EQ(VerdictMessage(NewerAvailable{"2.0", "x"}, language).color,
                  (ui::Color{0, 0, 255}));
        EXPECT_EQ(VerdictMessage(Malformed{}, language).color, (ui::Color{255, 0, 0}));
        EXPECT_EQ(VerdictMessage(TransferFailed{}, language).color, (ui::Color{255, 0, 0}));
    }
}

TEST(EnglishMessages, AreTheFixedTextsWithTheirLineBreaks) {
    EXPECT_EQ(VerdictMessage(UpToDate{}, Language::English).text,
              "Your Application is up to date (Version 1.0)");
    EXPECT_EQ(VerdictMessage(NewerAvailable{"2.0", "x"}, Language::English).text,
              "There in a new version available (Version 2.0 )\r"
              "You are using version 1.0\r\n"
              "To download update go to: x");
    EXPECT_EQ(VerdictMessage(Malformed{}, Language::English).text,
              "Problem on Data recevied from server.\r\nPlease check if " + kHost +
                  " is opening correctly , Then contact support team");
    EXPECT_EQ(VerdictMessage(TransferFailed{}, Language::English).text,
              "An error has occurred while communicating with the remote server.\r\n"
              "Please check your internet connection or try again later.");
}

TEST(FarsiMessages, AreTheFixedTextsCodePointForCodePoint) {
    EXPECT_EQ(VerdictMessage(UpToDate{}, Language::Farsi).text,
              Farsi("$mA Az |xryn nsxh brnAmh AstfAdh my knyd ( nsxh 1.0)"));
    EXPECT_EQ(VerdictMessage(NewerAvailable{"2.0", "x"}, Language::Farsi).text,
              Farsi("nsxh jdyd Az brnAmh |mAdh $dh (nsxh 2.0 )") + "\r" +
                  Farsi("$mA Az nsxh 1.0 AstfAdh my knyd") + "\r\n" +
                  Farsi("brAy dryAft nsxh jdyd bh |drs fwq mrAjEh knyd : ") + "x");
    EXPECT_EQ(VerdictMessage(Malformed{}, Language::Farsi).text,
              Farsi("dr ATlAEAt dryAfty Az srwr AyrAdy wjwd dArd") + "\r\n" +
                  Farsi("lTfA brrsy knyd kh wb sAyt ") + kHost +
                  Farsi(" bh drsty bAz my $wd , sPs bA P$tybAny tmAs bGyryd"));
    EXPECT_EQ(VerdictMessage(TransferFailed{}, Language::Farsi).text,
              Farsi("dr ArtbAT bA srwr xTAyy rx dAdh Ast.") + "\r\n" +
                  Farsi("lTfA Az kArkrd SHyH Ayntrnt xwd ATmynAn HASl krdh w yA bEdA tlA$ knyd"));
}

TEST(FarsiMessages, UseTheCodePageLettersAndNoInvisibleJoiners) {
    for (const UpdateVerdict& verdict :
         {UpdateVerdict{UpToDate{}}, UpdateVerdict{NewerAvailable{"2.0", "x"}},
          UpdateVerdict{Malformed{}}, UpdateVerdict{TransferFailed{}}}) {
        const std::string text = VerdictMessage(verdict, Language::Farsi).text;
        for (char32_t forbidden : {U'\u06CC', U'\u0643', U'\u200C', U'\u200D', U'\u00A0'}) {
            EXPECT_EQ(text.find(Utf8(std::u32string(1, forbidden))), std::string::npos)
                << "U+" << std::hex << static_cast<unsigned>(forbidden) << " in " << text;
        }
    }
}

TEST(NewerAvailableMessages, ShowVersionAndLocationUnchanged) {
    const NewerAvailable newer{"1.0\r\n", "  <b>not markup</b>;\r\n"};
    EXPECT_EQ(VerdictMessage(newer, Language::English).text,
              "There in a new version available (Version 1.0\r\n )\rYou are using version "
              "1.0\r\nTo download update go to:   <b>not markup</b>;\r\n");
    const std::string farsi = VerdictMessage(newer, Language::Farsi).text;
    EXPECT_NE(farsi.find(Farsi("(nsxh ") + "1.0\r\n )\r"), std::string::npos) << farsi;
    EXPECT_TRUE(farsi.ends_with(Farsi(": ") + "  <b>not markup</b>;\r\n")) << farsi;
}

TEST(FileToMessage, EmptyDownloadShowsTheCommunicationErrorNotTheDataError) {
    for (Language language : {Language::English, Language::Farsi}) {
        EXPECT_EQ(VerdictMessage(JudgeUpdateFile(""), language),
                  VerdictMessage(TransferFailed{}, language));
        EXPECT_NE(VerdictMessage(JudgeUpdateFile(""), language),
                  VerdictMessage(Malformed{}, language));
    }
}

TEST(FileToMessage, NewVersionWithEmptyLocationEndsWithTheLeadIn) {
    const Message english = VerdictMessage(JudgeUpdateFile("UpdateOK;2.0;"), Language::English);
    EXPECT_EQ(english.color, kResultBlue);
    EXPECT_TRUE(english.text.ends_with("\r\nTo download update go to: ")) << english.text;

    const Message farsi = VerdictMessage(JudgeUpdateFile("UpdateOK;2.0;"), Language::Farsi);
    EXPECT_TRUE(farsi.text.ends_with(Farsi(" mrAjEh knyd : "))) << farsi.text;
}

TEST(FileToMessage, UpToDateFileShowsTheBlueUpToDateText) {
    EXPECT_EQ(VerdictMessage(JudgeUpdateFile("UpdateOK;1.0;x"), Language::English),
              (Message{kResultBlue, "Your Application is up to date (Version 1.0)"}));
}

TEST(FileToMessage, MalformedFileShowsTheRedDataErrorNamingTheSite) {
    const Message message = VerdictMessage(JudgeUpdateFile("updateok;1.0;x"), Language::English);
    EXPECT_EQ(message.color, kErrorRed);
    EXPECT_NE(message.text.find("Please check if " + kHost + " is opening"), std::string::npos);
}

}  // namespace
}  // namespace vantrelle::update
