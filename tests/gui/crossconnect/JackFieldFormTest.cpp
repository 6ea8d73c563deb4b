// The cross-connect field window, offscreen: buttons found by name or by position, keys and hover.
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "core/base/Errors.h"
#include "core/model/Mux.h"
#include "gui/crossconnect/UJackField.h"
#include "gui/widgets/Application.h"
#include "support/Endpoints.h"
#include "support/RecordingDialogs.h"

namespace tervis {
namespace {

using test::Ep;

class JackFieldFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        mux.SetSlotType(0, {bt4E1, 0, 0});
        mux.SetSlotType(1, {bt1E1, 0, 0});
        mux.SetSlotType(2, {bt2VS, 0, 0});
        mux.SetSlotType(3, {bt4TCh, 0, 0});
        mux.SetMuxSettings({0, 0, 0, 0, 0, 0, 0, 255, 255, 0});
        form.Load(mux);
        form.show();
        QCoreApplication::processEvents();
    }
    TFieldButton* Named(const QString& name) {
        auto* button = form.findChild<TFieldButton*>(name);
        EXPECT_NE(button, nullptr) << name.toStdString();
        return button;
    }
    // Clicks whatever widget lies at the centre of the named button, as the pointer would.
    void ClickAt(const QString& name) {
        TFieldButton* button = Named(name);
        const QPoint centre = button->mapTo(&form, button->rect().center());
        QWidget* target = form.childAt(centre);
        ASSERT_EQ(target, button) << name.toStdString();
        QTest::mouseClick(target, Qt::LeftButton);
    }
    bool Red(TFieldButton* button) {
        return button->font().bold() && button->palette().color(QPalette::ButtonText) == QColor(255, 0, 0);
    }

    TSettings settings;
    TMux mux{nullptr, nullptr, settings};
    TJackFieldForm form;
};

TEST_F(JackFieldFormTest, ClicksMakeAndBreakLinksAndEscapeDoesNotClose) {
    EXPECT_EQ(form.windowTitle(), "Коммутационное поле");
    // Row 0: 4E1 stream 0; row 4: the 1E1.
    EXPECT_EQ(form.findChild<QLabel*>("TrunkLabel4")->text(), "1\n1E1");
    EXPECT_FALSE(Named("TrunkButton0_0")->isEnabled()) << "framing timeslot";
    ClickAt("TrunkButton0_1");
    EXPECT_EQ(Named("TrunkButton0_1")->text(), "->");
    EXPECT_FALSE(Named("TrunkButton0_1")->isChecked());
    ClickAt("TrunkButton4_5");
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 5));
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), Ep(0, 1));
    EXPECT_EQ(Named("TrunkButton0_1")->text(), "1\n5");
    EXPECT_TRUE(Named("TrunkButton0_1")->isChecked());
    EXPECT_EQ(Named("TrunkButton4_5")->text(), "0,0\n1");

    // A port channel, then Escape: nothing linked and the window stays open.
    ClickAt("PortButton3_2");
    EXPECT_EQ(Named("PortButton3_2")->text(), "->");
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Editor()->Mode(), TEditMode::Idle);
    EXPECT_EQ(Named("PortButton3_2")->text(), "xxx");

    // A click on a linked channel breaks the link at once, pressed state and all.
    Named("TrunkButton4_5")->click();
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), kEndpointNone);
    EXPECT_FALSE(Named("TrunkButton0_1")->isChecked());

    // "Закрыть" closes with the OK result.
    form.findChild<QPushButton*>("CloseButton")->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(JackFieldFormTest, CtrlDrawsEverythingUpAndStartsAOneWayFeed) {
    mux.LinkBoth(0, 1, 0, 2);
    form.Refresh();
    EXPECT_TRUE(Named("TrunkButton0_1")->isChecked());
    QTest::keyPress(&form, Qt::Key_Control);
    EXPECT_FALSE(Named("TrunkButton0_1")->isChecked());
    Named("TrunkButton0_1")->click();
    EXPECT_EQ(form.Editor()->Mode(), TEditMode::OneWayPending);
    QTest::keyRelease(&form, Qt::Key_Control);
    Named("TrunkButton0_3")->click();
    Named("PortButton3_0")->click();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(mux.GetLink(Ep(0, 3)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(3, 0)), Ep(0, 1));
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(0, 2));
    EXPECT_TRUE(Named("TrunkButton0_1")->isChecked());
}

// Without a mouse: Tab into an area, arrows inside it, Space clicks, Ctrl+Space starts a one-way feed.
TEST_F(JackFieldFormTest, KeyboardReachesAndClicksTheChannels) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const auto focused = [] { return QApplication::focusWidget(); };
    Named("TrunkButton0_1")->setFocus();
    ASSERT_EQ(focused(), Named("TrunkButton0_1"));

    struct TStep {
        Qt::Key Key;
        const char* Lands;  // the button that has the keyboard afterwards
    };
    for (const TStep& step : {TStep{Qt::Key_Right, "TrunkButton0_2"}, TStep{Qt::Key_Down, "TrunkButton1_2"},
                              TStep{Qt::Key_Left, "TrunkButton1_1"}, TStep{Qt::Key_Up, "TrunkButton0_1"},
                              TStep{Qt::Key_Left, "TrunkButton0_1"}}) {  // the framing timeslot is skipped
        QTest::keyClick(focused(), step.Key);
        EXPECT_EQ(focused(), Named(step.Lands)) << step.Lands;
    }

    // Space on 0:1, then on 1E1 channel 5 (row 4): a two-way link.
    QTest::keyClick(focused(), Qt::Key_Space);
    EXPECT_EQ(form.Editor()->Mode(), TEditMode::TwoWayPending);
    Named("TrunkButton4_5")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Space);
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 5));
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), Ep(0, 1));

    // Ctrl held: a one-way feed from 0:3 to 0:4.
    Named("TrunkButton0_3")->setFocus();
    QTest::keyPress(focused(), Qt::Key_Control);
    QTest::keyClick(focused(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(form.Editor()->Mode(), TEditMode::OneWayPending);
    QTest::keyRelease(focused(), Qt::Key_Control);
    Named("TrunkButton0_4")->setFocus();
    QTest::keyClick(focused(), Qt::Key_Space);
    EXPECT_EQ(mux.GetLink(Ep(0, 4)), Ep(0, 3));
    QTest::keyClick(focused(), Qt::Key_Escape);

    // Tab leaves the trunk rows for the port rows, then for the CPU box.
    QTest::keyClick(focused(), Qt::Key_Tab);
    ASSERT_NE(focused(), nullptr);
    EXPECT_TRUE(focused()->objectName().startsWith("PortButton")) << focused()->objectName().toStdString();
    QTest::keyClick(focused(), Qt::Key_Tab);
    EXPECT_EQ(focused(), Named("GeneratorButton"));
    QTest::keyClick(focused(), Qt::Key_Down);
    EXPECT_EQ(focused(), Named("MeasurerButton"));
    QTest::keyClick(focused(), Qt::Key_Space);
    EXPECT_EQ(form.Editor()->Mode(), TEditMode::MeasurerPending);
}

TEST_F(JackFieldFormTest, GroupSelectionThroughTheApplyButton) {
    auto* apply = form.findChild<QPushButton*>("ApplyButton");
    EXPECT_FALSE(Named("PortButton2_2")->isVisible()) << "a 2VS has two ports";
    Named("PortButton2_0")->click();
    EXPECT_EQ(Named("PortButton2_0")->text(), "->");
    EXPECT_FALSE(apply->isEnabled());
    Named("TrunkButton4_1")->click();
    Named("TrunkButton4_2")->click();
    EXPECT_EQ(Named("TrunkButton4_2")->text(), "+");
    EXPECT_TRUE(apply->isEnabled());
    apply->click();
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_EQ(mux.GetLink(Ep(2, 1)), Ep(1, 2));
    EXPECT_EQ(Named("PortButton2_0")->text(), "+");
    EXPECT_TRUE(Named("PortButton2_0")->isChecked());
    Named("PortButton2_0")->click();
    EXPECT_EQ(mux.GetLink(Ep(1, 2)), kEndpointNone);
}

TEST_F(JackFieldFormTest, RefreshTouchesOnlyWhatChangedAndHoverLightsThePartner) {
    TFieldButton* first = Named("TrunkButton0_1");
    form.Refresh();
    EXPECT_EQ(form.LastRefreshChanges(), 0);
    mux.LinkBoth(0, 1, 1, 7);
    form.Refresh();
    // Caption and pressed state of the two ends; nothing else.
    EXPECT_EQ(form.LastRefreshChanges(), 4);
    EXPECT_EQ(Named("TrunkButton0_1"), first) << "the buttons are made once";

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(first, &enter);
    EXPECT_TRUE(Red(first));
    EXPECT_TRUE(Red(Named("TrunkButton4_7")));
    EXPECT_FALSE(Red(Named("TrunkButton4_8")));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(first, &leave);
    EXPECT_FALSE(Red(Named("TrunkButton4_7")));

    // Scrolling keeps the same buttons and redraws their rows.
    mux.SetSlotType(5, {bt4E1, 0, 0});
    form.Load(mux);
    EXPECT_TRUE(form.findChild<QToolButton*>("TrunkDownButton")->isEnabled());
    form.findChild<QToolButton*>("TrunkDownButton")->click();
    EXPECT_EQ(form.findChild<QLabel*>("TrunkLabel0")->text(), "0, 1\n4E1");
    EXPECT_EQ(Named("TrunkButton0_1"), first);
}

TEST_F(JackFieldFormTest, LevelFollowsTheCpuStatusAndTheLink) {
    auto* level = form.findChild<QLabel*>("LevelText");
    EXPECT_EQ(level->text(), "???");
    TCpuStatus block{};
    block[3 + 14] = 0x00;
    block[3 + 15] = 0x8E;
    block[3 + 16] = 0x44;  // 4492800 = 0x448E00
    mux.SetCpuStatus(block);
    form.Notify(kNotifyInformation, kInfoCpu, 0);
    EXPECT_EQ(level->text(), QString("0") + QLocale().decimalPoint() + "00");
    form.Notify(kNotifyLinkState, 0, 0);
    EXPECT_EQ(level->text(), "???");
}

// A model whose owner fails once armed: the edit under way stops half-applied.
class TFailingOwner : public INotificationSink {
public:
    void PostNotification(unsigned message, std::uintptr_t, std::intptr_t) override {
        if (Armed && message == kNotifyModified) {
            Armed = false;
            throw EInOutError("Ошибка записи файла 12-2026.log");
        }
    }
    bool Armed = false;
};

TEST(JackFieldFormFailure, AFailedEditIsShownAndTheFieldDrawsWhatTheModelHolds) {
    auto& app = *static_cast<TApplication*>(QCoreApplication::instance());
    test::TRecordingDialogs dialogs;
    app.SetErrorDisplay(&dialogs);
    TSettings settings;
    TFailingOwner owner;
    TMux mux{&owner, nullptr, settings};
    mux.SetSlotType(0, {bt4E1, 0, 0});
    mux.SetSlotType(1, {bt1E1, 0, 0});
    TJackFieldForm form;
    form.Load(mux);
    form.show();
    QCoreApplication::processEvents();
    auto* first = form.findChild<TFieldButton*>("TrunkButton0_1");
    auto* second = form.findChild<TFieldButton*>("TrunkButton4_5");
    ASSERT_TRUE(first != nullptr && second != nullptr);

    first->click();
    owner.Armed = true;
    second->click();  // the first half of the two-way link is stored, then the model fails
    app.SetErrorDisplay(nullptr);
    EXPECT_EQ(dialogs.Messages, QStringList({"Ошибка записи файла 12-2026.log"}));
    EXPECT_EQ(mux.GetLink(Ep(0, 1)), Ep(1, 5));
    EXPECT_EQ(mux.GetLink(Ep(1, 5)), kEndpointNone);
    EXPECT_EQ(form.Editor()->Mode(), TEditMode::Idle);
    EXPECT_EQ(first->text(), "1\n5") << "drawn as the model stands";
    EXPECT_EQ(second->text(), "xxx");
}

}  // namespace
}  // namespace tervis
