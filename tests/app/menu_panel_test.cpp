#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <QMouseEvent>
#include <QTest>

#include "app/language_module_support.h"
#include "views/menu_panel.h"

namespace {

MenuPanelSelection Selection(int32_t items, int32_t selected, int32_t folders, int32_t images)
{
    return {true, items, selected, folders, images};
}

std::vector<int> Commands(const std::vector<OfferedMenuEntry>& entries, MenuPanelSection section)
{
    std::vector<int> commands;
    for (const OfferedMenuEntry& entry : entries)
        if (entry.section == section)
            commands.push_back(entry.command);
    return commands;
}

std::vector<std::string> Captions(const std::vector<OfferedMenuEntry>& entries)
{
    std::vector<std::string> captions;
    for (const OfferedMenuEntry& entry : entries)
        captions.push_back(entry.caption);
    return captions;
}

} // namespace

TEST(MenuPanelSituation, IsCheckedFromMixedSelectionsDownToAnEmptyList)
{
    EXPECT_EQ(SituationOf({false, 10, 3, 1, 2}), SelectionSituation::Empty);
    EXPECT_EQ(SituationOf(Selection(10, 3, 1, 2)), SelectionSituation::FilesAndFolders);
    EXPECT_EQ(SituationOf(Selection(10, 2, 2, 0)), SelectionSituation::SeveralFolders);
    EXPECT_EQ(SituationOf(Selection(10, 1, 1, 0)), SelectionSituation::OneFolder);
    EXPECT_EQ(SituationOf(Selection(10, 4, 0, 4)), SelectionSituation::SeveralFiles);
    EXPECT_EQ(SituationOf(Selection(10, 1, 0, 0)), SelectionSituation::OneFile);
    EXPECT_EQ(SituationOf(Selection(10, 0, 0, 0)), SelectionSituation::NothingSelected);
    EXPECT_EQ(SituationOf(Selection(0, 0, 0, 0)), SelectionSituation::Empty);
}

TEST(MenuPanelEntries, FollowTheSituationWithEveryCommandEnabled)
{
    MenuPanelState state;
    state.selection = Selection(10, 1, 0, 1);
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Menu),
              (std::vector<int>{40066, 40086, 40082, 40067, 40068, 40069, 40083, 40084, 40085}));
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Manipulate),
              (std::vector<int>{40001, 40010, 40008, 40016, 40015, 40007}));

    state.selection = Selection(10, 3, 0, 3);
    const std::vector<OfferedMenuEntry> several = OfferedEntries(state);
    EXPECT_EQ(Commands(several, MenuPanelSection::Menu), (std::vector<int>{40066, 40086, 40082, 40083, 40084, 40085}));
    // The batch captions, not the single-picture ones.
    const std::vector<std::string> captions = Captions(several);
    EXPECT_NE(std::find(captions.begin(), captions.end(), "ZORX_MP_BatchRotate"), captions.end());
    EXPECT_EQ(std::find(captions.begin(), captions.end(), "ZORX_MP_Rotate"), captions.end());

    state.selection = Selection(10, 2, 2, 0);
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Manipulate),
              (std::vector<int>{40010, 40016, 40015, 40007, 40050}));
    state.selection = {false, 0, 0, 0, 0};
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Print), std::vector<int>{});
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Manipulate), (std::vector<int>{40073, 40010, 40075}));
}

TEST(MenuPanelEntries, PictureCommandsNeedASelectedPictureAndAnEnabledMenuItem)
{
    MenuPanelState state;
    state.selection = Selection(10, 1, 0, 0); // one movie
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Menu), std::vector<int>{40066});
    EXPECT_EQ(Commands(OfferedEntries(state), MenuPanelSection::Manipulate).size(), 6u);

    state.selection = Selection(10, 1, 0, 1);
    const std::set<int> disabled{40082, 40007};
    state.commandEnabled = [&](int command) { return !disabled.contains(command); };
    const std::vector<int> menu = Commands(OfferedEntries(state), MenuPanelSection::Menu);
    EXPECT_EQ(std::count(menu.begin(), menu.end(), 40082), 0);
    const std::vector<int> manipulate = Commands(OfferedEntries(state), MenuPanelSection::Manipulate);
    EXPECT_EQ(std::count(manipulate.begin(), manipulate.end(), 40007), 0);
    EXPECT_EQ(manipulate.size(), 5u);
}

TEST(MenuPanelEntries, ClosedSectionsOfferNothingAndServiceEntriesFollowTheirSection)
{
    MenuPanelState state;
    state.selection = Selection(10, 0, 0, 0);
    state.helperEntries = {{"Helper", 43010}, {"", 43011}, {"No command", 0}};
    state.programEntries = {{"Program", 43020}};
    state.text = [](const char* key) { return std::string("T:") + key; };
    std::vector<OfferedMenuEntry> offered = OfferedEntries(state);
    const std::vector<int> menu = Commands(offered, MenuPanelSection::Menu);
    EXPECT_EQ(menu, (std::vector<int>{40066, 43010}));
    EXPECT_EQ(Commands(offered, MenuPanelSection::Folder), std::vector<int>{43020});
    EXPECT_EQ(offered.front().caption, "T:ZORX_MP_NetPrint");
    EXPECT_EQ(std::find_if(offered.begin(), offered.end(), [](const auto& entry) { return entry.command == 43010; })
                  ->caption,
              "Helper"); // a service's caption is shown as it gave it

    state.open[static_cast<size_t>(MenuPanelSection::Menu)] = false;
    offered = OfferedEntries(state);
    EXPECT_TRUE(Commands(offered, MenuPanelSection::Menu).empty());
    EXPECT_FALSE(Commands(offered, MenuPanelSection::Manipulate).empty());
}

class MenuPanelWidget : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterBuiltLanguageModule();
        MenuPanel::Callbacks callbacks;
        callbacks.sendCommand = [this](int command) { sent.push_back(command); };
        callbacks.sectionToggled = [this](MenuPanelSection section, bool open) { toggled.emplace_back(section, open); };
        panel = std::make_unique<MenuPanel>(std::move(callbacks));
        panel->resize(207, 2000);
        MenuPanelState state;
        state.selection = Selection(10, 1, 0, 1);
        state.text = [](const char* key) {
            // A long caption wraps and makes its row taller.
            return std::string(key) == "ZORX_MP_Adjust" ? "Adjust the brightness, contrast and colours of the picture"
                                                        : std::string("Short");
        };
        panel->SetState(state, "100_VIST", {"One line"});
    }

    const MenuPanel::Row* Find(int command) const
    {
        for (const MenuPanel::Row& row : panel->Rows())
            if (row.kind == MenuPanel::Row::Kind::Entry && row.command == command)
                return &row;
        return nullptr;
    }
    const MenuPanel::Row* Header(MenuPanelSection section) const
    {
        for (const MenuPanel::Row& row : panel->Rows())
            if (row.kind == MenuPanel::Row::Kind::Header && row.section == section)
                return &row;
        return nullptr;
    }

    std::unique_ptr<MenuPanel> panel;
    std::vector<int> sent;
    std::vector<std::pair<MenuPanelSection, bool>> toggled;
};

TEST_F(MenuPanelWidget, RowsSpanThePanelAndWrappedCaptionsMakeTallerRows)
{
    const MenuPanel::Row* slideShow = Find(40066);
    const MenuPanel::Row* adjust = Find(40068);
    ASSERT_TRUE(slideShow && adjust);
    EXPECT_EQ(slideShow->rect.left(), MenuPanel::kLeft);
    EXPECT_EQ(slideShow->rect.right() + 1, MenuPanel::kRight);
    EXPECT_GE(slideShow->rect.height(), MenuPanel::kIconSize);
    EXPECT_GT(adjust->rect.height(), slideShow->rect.height());
    // Rows never overlap and follow the table order.
    int bottom = 0;
    for (const MenuPanel::Row& row : panel->Rows()) {
        EXPECT_GE(row.rect.top(), bottom);
        bottom = row.rect.bottom() + 1;
    }
    EXPECT_EQ(panel->Rows().front().kind, MenuPanel::Row::Kind::Header);
    EXPECT_EQ(panel->Rows().front().rect.topLeft(), QPoint(MenuPanel::kLeft, 7));
}

TEST_F(MenuPanelWidget, ClicksSendCommandsAndHeadersToggleTheirSection)
{
    const MenuPanel::Row* rotate = Find(40082);
    ASSERT_TRUE(rotate);
    QTest::mouseClick(panel.get(), Qt::LeftButton, {}, rotate->rect.center());
    EXPECT_EQ(sent, std::vector<int>{40082});

    const QPoint header = Header(MenuPanelSection::Menu)->rect.center();
    QTest::mouseClick(panel.get(), Qt::LeftButton, {}, header);
    EXPECT_FALSE(panel->IsSectionOpen(MenuPanelSection::Menu));
    EXPECT_EQ(Find(40082), nullptr);
    ASSERT_EQ(toggled.size(), 1u);
    EXPECT_EQ(toggled.front(), std::make_pair(MenuPanelSection::Menu, false));
    // The rows below moved up: the same point now hits something else or nothing.
    QTest::mouseClick(panel.get(), Qt::LeftButton, {}, rotate->rect.center());
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 40082), 1);
    QTest::mouseClick(panel.get(), Qt::RightButton, {}, header);
    EXPECT_FALSE(panel->IsSectionOpen(MenuPanelSection::Menu));

}

TEST_F(MenuPanelWidget, TextRowsAreNotClickableAndTheWheelScrollsOnlyWhatOverflows)
{
    for (const MenuPanel::Row& row : panel->Rows()) {
        if (row.kind != MenuPanel::Row::Kind::Text)
            continue;
        QTest::mouseClick(panel.get(), Qt::LeftButton, {}, row.rect.center());
    }
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(toggled.empty());

    QWheelEvent down(QPointF(50, 50), QPointF(50, 50), {}, QPoint(0, -240), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel.get(), &down);
    EXPECT_EQ(panel->ScrollOffset(), 0); // everything fits

    panel->resize(207, 200);
    QApplication::sendEvent(panel.get(), &down);
    EXPECT_GT(panel->ScrollOffset(), 0);
    for (int step = 0; step < 50; ++step)
        QApplication::sendEvent(panel.get(), &down);
    EXPECT_EQ(panel->ScrollOffset(), panel->ContentHeight() - 200);
    const MenuPanel::Row* slideShow = Find(40066);
    ASSERT_TRUE(slideShow);
    // A click lands on the row drawn under it, scrolled.
    const QPoint drawn = slideShow->rect.center() - QPoint(0, panel->ScrollOffset());
    if (drawn.y() >= 0) {
        QTest::mouseClick(panel.get(), Qt::LeftButton, {}, drawn);
        EXPECT_EQ(sent, std::vector<int>{40066});
    }
}
