// The colour and text of each verdict in both languages, and the whole road from the
// bytes of a file to what the panel shows.

#include "update/verdict_message.h"

#include <gtest/gtest.h>

#include <string>

#include "support/expected_texts.h"
#include "update/site.h"

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

TEST(Messages, AreTheFixedTextsWithTheirLineBreaksInBothLanguages) {
    EXPECT_EQ(VerdictMessage(UpToDate{}, Language::English).text, expected::kEnglishUpToDate);
    EXPECT_EQ(VerdictMessage(NewerAvailable{"2.0", "x"}, Language::English).text,
              expected::EnglishNewer("2.0", "x"));
    EXPECT_EQ(VerdictMessage(Malformed{}, Language::English).text, expected::kEnglishMalformed);
    EXPECT_EQ(VerdictMessage(TransferFailed{}, Language::English).text, expected::kEnglishFailed);

    EXPECT_EQ(VerdictMessage(UpToDate{}, Language::Farsi).text, expected::kFarsiUpToDate);
    EXPECT_EQ(VerdictMessage(NewerAvailable{"2.0", "x"}, Language::Farsi).text,
              expected::FarsiNewer("2.0", "x"));
    EXPECT_EQ(VerdictMessage(Malformed{}, Language::Farsi).text, expected::kFarsiMalformed);
    EXPECT_EQ(VerdictMessage(TransferFailed{}, Language::Farsi).text, expected::kFarsiFailed);
}

TEST(FarsiMessages, UseTheCodePageLettersAndNoInvisibleJoiners) {
    for (const UpdateVerdict& verdict :
         {UpdateVerdict{UpToDate{}}, UpdateVerdict{NewerAvailable{"2.0", "x"}},
          UpdateVerdict{Malformed{}}, UpdateVerdict{TransferFailed{}}}) {
        const std::string text = VerdictMessage(verdict, Language::Farsi).text;
        for (const char* forbidden : expected::kOutsideTheCodePage) {
            EXPECT_EQ(text.find(forbidden), std::string::npos) << forbidden << " in " << text;
        }
    }
}

TEST(NewerAvailableMessages, ShowVersionAndLocationUnchanged) {
    const NewerAvailable newer{"1.0\r\n", "  <b>not markup</b>;\r\n"};
    EXPECT_EQ(VerdictMessage(newer, Language::English).text,
              "There in a new version available (Version 1.0\r\n )\rYou are using version "
              "1.0\r\nTo download update go to:   <b>not markup</b>;\r\n");
    const std::string farsi = VerdictMessage(newer, Language::Farsi).text;
    EXPECT_EQ(farsi, expected::FarsiNewer("1.0\r\n", "  <b>not markup</b>;\r\n"));
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
    EXPECT_EQ(farsi.text, expected::FarsiNewer("2.0", ""));
}

TEST(FileToMessage, UpToDateFileShowsTheBlueUpToDateText) {
    EXPECT_EQ(VerdictMessage(JudgeUpdateFile("UpdateOK;1.0;x"), Language::English),
              (Message{kResultBlue, expected::kEnglishUpToDate}));
}

TEST(FileToMessage, MalformedFileShowsTheRedDataErrorNamingTheSite) {
    const Message message = VerdictMessage(JudgeUpdateFile("updateok;1.0;x"), Language::English);
    EXPECT_EQ(message.color, kErrorRed);
    EXPECT_NE(message.text.find("Please check if " + kHost + " is opening"), std::string::npos);
}

}  // namespace
}  // namespace vantrelle::update
