// Saving without losing anything: "save" writes the open project, "save as" adds the
// extension and asks before replacing another file, leaving a changed project asks,
// and the project properties travel in the project file.

#include "station/project_commands.h"
#include "station/project_file.h"
#include "station_fixture.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

namespace fs = std::filesystem;
using Answer = StationUi::SaveAnswer;

class ProjectCommandsTest : public testing::TempFolder, public testing::StationTest {
protected:
    // A project on disk, opened as the user opens it.
    ProjectCommands& Opened(const std::string& name) {
        Append({"KORVO NC ETH", "KORVO DI 16"});
        SaveProject(*model, File(name));
        commands_ = std::make_unique<ProjectCommands>(*model);
        EXPECT_TRUE(commands_->OpenProject(File(name)).has_value());
        ui.questions.clear();
        return *commands_;
    }
    std::unique_ptr<ProjectCommands> commands_;
};

TEST_F(ProjectCommandsTest, SaveAsAddsExtensionAndAsksBeforeReplacingAnotherFile) {
    Append({"KORVO NC ETH"});
    ProjectCommands commands(*model);
    ASSERT_TRUE(commands.SaveProjectAs(File("plant")));
    EXPECT_TRUE(fs::exists(File("plant.prj")));
    EXPECT_FALSE(fs::exists(File("plant")));
    EXPECT_EQ(commands.ProjectFileName, File("plant.prj").string());
    EXPECT_TRUE(ui.questions.empty());

    Write(File("other.prj"), "keep me");
    ui.answer = false;
    EXPECT_FALSE(commands.SaveProjectAs(File("other.prj")));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], " save project|other.prj already exists.\nDo you want to replace it?");
    EXPECT_EQ(Read(File("other.prj")), "keep me");
    EXPECT_EQ(commands.ProjectFileName, File("plant.prj").string());
    ui.answer = true;
    EXPECT_TRUE(commands.SaveProjectAs(File("other")));
    EXPECT_NE(Read(File("other.prj")).find("Name1=KORVO NC ETH"), std::string::npos);
    // Saving the open project under its own name is no replacement to ask about.
    ui.questions.clear();
    EXPECT_TRUE(commands.SaveProjectAs(File("other.prj")));
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(ProjectCommandsTest, SaveWritesOpenProjectAndFallsBackToSaveAsWithoutOne) {
    ProjectCommands& commands = Opened("a.prj");
    model->AppendModule("KORVO DO 16");
    EXPECT_TRUE(commands.Modified());
    EXPECT_EQ(commands.WindowTitle(), "a.prj* - Korvo Configurator");
    ASSERT_TRUE(commands.Save());
    EXPECT_FALSE(commands.Modified());
    EXPECT_EQ(commands.WindowTitle(), "a.prj - Korvo Configurator");
    EXPECT_NE(Read(File("a.prj")).find("Name3=KORVO DO 16"), std::string::npos);

    ASSERT_TRUE(commands.NewProject());
    EXPECT_EQ(commands.WindowTitle(), "Korvo Configurator");
    model->AppendModule("KORVO AI 2");
    int asked = 0;
    commands.ChooseSavePath = [&]() -> std::optional<fs::path> { ++asked; return std::nullopt; };
    EXPECT_FALSE(commands.Save());
    EXPECT_EQ(asked, 1);
    // "new" left a.prj: saving the new station must not go there.
    EXPECT_NE(Read(File("a.prj")).find("Name3=KORVO DO 16"), std::string::npos);
    commands.ChooseSavePath = [&]() -> std::optional<fs::path> { return File("b"); };
    ASSERT_TRUE(commands.Save());
    EXPECT_EQ(commands.ProjectFileName, File("b.prj").string());
}

TEST_F(ProjectCommandsTest, SaveDialogProposesTheOpenProjectInItsFolder) {
    ProjectCommands fresh(*model);
    EXPECT_EQ(fresh.SaveDialogSettings().initialFileName, "project1.prj");
    EXPECT_EQ(fresh.SaveDialogSettings().startFolder, "/opt/korvo/project");
    ProjectCommands& commands = Opened("plant.prj");
    const FileDialogSettings settings = commands.SaveDialogSettings();
    EXPECT_EQ(settings.initialFileName, "plant.prj");
    EXPECT_EQ(fs::path(settings.startFolder), dir_);
    EXPECT_EQ(settings.defaultExtension, "prj");
}

TEST_F(ProjectCommandsTest, LeavingChangedProjectAsksSaveDiscardOrCancel) {
    ProjectCommands& commands = Opened("a.prj");
    // Unchanged: nothing to ask at close.
    EXPECT_TRUE(commands.MayClose());
    EXPECT_TRUE(ui.questions.empty());

    model->AppendModule("KORVO DO 16");
    ui.saveAnswer = Answer::Cancel;
    EXPECT_FALSE(commands.MayClose());
    EXPECT_FALSE(commands.NewProject());
    EXPECT_FALSE(commands.OpenProject(File("a.prj")).has_value());
    EXPECT_EQ(model->ModuleCount, 3);
    ASSERT_EQ(ui.questions.size(), 3u);
    for (const std::string& question : ui.questions) EXPECT_EQ(question, " save project|save changes to a.prj?");

    ui.saveAnswer = Answer::Discard;
    ASSERT_TRUE(commands.OpenProject(File("a.prj")).has_value());
    EXPECT_EQ(model->ModuleCount, 2);
    EXPECT_EQ(Read(File("a.prj")).find("KORVO DO 16"), std::string::npos);

    model->AppendModule("KORVO DO 16");
    ui.saveAnswer = Answer::Save;
    ASSERT_TRUE(commands.NewProject());
    EXPECT_EQ(model->ModuleCount, 0);
    EXPECT_NE(Read(File("a.prj")).find("Name3=KORVO DO 16"), std::string::npos);
}

TEST_F(ProjectCommandsTest, FailedSaveOnLeavingKeepsTheStation) {
    ProjectCommands& commands = Opened("a.prj");
    model->AppendModule("KORVO DO 16");
    fs::remove(File("a.prj"));
    fs::create_directory(File("a.prj"));
    ui.saveAnswer = Answer::Save;
    EXPECT_FALSE(commands.NewProject());
    EXPECT_EQ(model->ModuleCount, 3);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(ProjectCommandsTest, PropertiesRoundTripInProjectSectionAndCountAsChanges) {
    ProjectCommands& commands = Opened("a.prj");
    EXPECT_EQ(Read(File("a.prj")).find("[Project]"), std::string::npos);
    model->Properties = {"Pump house", "Line 2", "Acme \xE4", "M. Tester"};
    EXPECT_TRUE(commands.Modified());
    ASSERT_TRUE(commands.Save());
    const ProfileFile saved = ProfileFile::Load(File("a.prj"));
    EXPECT_EQ(saved.ReadString("Project", "Name", ""), "Pump house");
    EXPECT_EQ(saved.ReadString("Project", "Description", ""), "Line 2");
    EXPECT_EQ(saved.ReadString("Project", "Customer", ""), "Acme \xE4");
    EXPECT_EQ(saved.ReadString("Project", "Tester", ""), "M. Tester");

    ASSERT_TRUE(commands.NewProject());
    EXPECT_EQ(model->Properties, ProjectProperties{});
    ASSERT_TRUE(commands.OpenProject(File("a.prj")).has_value());
    EXPECT_EQ(model->Properties.Customer, "Acme \xE4");
    EXPECT_EQ(model->Properties.Tester, "M. Tester");
    EXPECT_FALSE(commands.Modified());
}

}  // namespace
}  // namespace korvo
