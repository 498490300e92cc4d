// The key help's lines for the commands added to the program: made from the
// command table, after the original text, each key named as the original
// text names keys.
#include "ui/key_help.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/command_table.h"

namespace mv::ui {
namespace {

TEST(KeyHelp, AddedCommandsFollowTheOriginalTextWithTheirKeys) {
  const QStringList lines = KeyHelpLines();
  const qsizetype heading = lines.indexOf("                Klawisze dodane w nowszych wersjach:");
  ASSERT_EQ(heading, 40);
  // Line 2 stands for the original text, which ends with two blank lines.
  EXPECT_EQ(lines[2].toStdString(),
            "odpowiedniki w Menu -  dostępne  za  pomocą myszki.  Poniżej   przedstawiam ");
  EXPECT_EQ(lines[37], "");
  EXPECT_EQ(lines[38], "");

  const struct {
    Command command;
    const char* key;
  } rows[] = {
      {Command::OpenSurvey, "'Ctrl'+'O'"},
      {Command::SavePicture, "'Ctrl'+'P'"},
      {Command::FullScreen, "'F11'"},
      {Command::FitView, "'Home'"},
      {Command::ShowPlan, "'P'"},
      {Command::ShowElevation, "'L'"},
      {Command::DepthColours, "'Ctrl'+'G'"},
      {Command::StationNames, "'Ctrl'+'N'"},
      {Command::FindStation, "'Ctrl'+'F'"},
      {Command::CopyPick, "'Ctrl'+'C'"},
      {Command::SurveyTree, "'Ctrl'+'T'"},
      {Command::Walls, "'Ctrl'+'W'"},
      {Command::CycleSplays, "'Ctrl'+'J'"},
      {Command::CycleSurfaceLegs, "'Ctrl'+'K'"},
  };
  qsizetype at = heading;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.key);
    const std::string expected =
        std::string(" - ") + r.key + " - " + CommandRowOf(r.command).keyHelp;
    ASSERT_LT(at + 1, lines.size());
    EXPECT_EQ(lines[++at].toStdString(), expected);
  }
  // The mouse follows; every command with a help line is listed above.
  EXPECT_TRUE(lines[at + 1].startsWith(" - Mysz:"));
  int helped = 0;
  for (const CommandRow& row : AllCommands()) helped += row.keyHelp != nullptr;
  EXPECT_EQ(helped, static_cast<int>(std::size(rows)));
  // The mouse's lines end the text.
  EXPECT_EQ(lines.size(), at + 6);
}

}  // namespace
}  // namespace mv::ui
