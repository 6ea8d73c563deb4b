#include "core/alarms/AlarmIndication.h"

#include <gtest/gtest.h>

namespace tervis {
namespace {

TEST(AlarmIndication, ReductionAndTexts) {
    struct Case {
        std::uint16_t word;
        const char* text;
    };
    const Case cases[] = {
        {0x3041, "Потеря потока (слот 3)!"},
        {0x5100, "Аппаратная ошибка (код 5)!"},
        {0x0800, "Нет связи с мультиплексором!"},
        {0xF0FF, "Отсутствует плата (слот 15)!"},
        {0x2004, "Удаленная потеря сверхцикловой сихронизации (слот 2)!"},
        {0x1002, "Превышен порог ошибок 10Е-3 (слот 1)!"},
        {0x3200, "Неизвестная ошибка (12800)!"},
        // neighbours in the ranking together: the higher one is shown
        {0x4180, "Аппаратная ошибка (код 4)!"},
        {0x60C0, "Отсутствует плата (слот 6)!"},
        {0x0900, "Нет связи с мультиплексором!"},
        {0x9003, "Превышен порог ошибок 10Е-3 (слот 9)!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(AlarmText(ReduceAlarmWord(c.word)), c.text);
    }
    EXPECT_EQ(ReduceAlarmWord(0x3041), 0x3040);
    EXPECT_EQ(ReduceAlarmWord(0x3200), 0x3200);
}

// Every pair of neighbours in the ranking, together in one word, and each bit with all those below it:
// the higher one wins, whatever the lower bits.
TEST(AlarmIndication, ReductionRanksEveryNeighbouringPairOfAlarmBits) {
    const std::uint16_t ranking[] = {0x800, 0x100, 0x080, 0x040, 0x020, 0x010, 0x008, 0x004, 0x002, 0x001};
    for (std::size_t i = 0; i + 1 < std::size(ranking); ++i) {
        const auto word = static_cast<std::uint16_t>(0x7000 | ranking[i] | ranking[i + 1]);
        SCOPED_TRACE(word);
        EXPECT_EQ(ReduceAlarmWord(word), 0x7000 | ranking[i]);
    }
    std::uint16_t below = 0;
    for (std::size_t i = std::size(ranking); i-- > 0;) {
        const auto word = static_cast<std::uint16_t>(0x2000 | ranking[i] | below | 0x600);
        SCOPED_TRACE(word);
        EXPECT_EQ(ReduceAlarmWord(word), 0x2000 | ranking[i]) << "0x200 and 0x400 rank nowhere";
        below = static_cast<std::uint16_t>(below | ranking[i]);
    }
}

TEST(AlarmIndication, SteadyThenBlinkingAndSoundingUntilAcknowledged) {
    TAlarmIndicator alarm;
    EXPECT_TRUE(alarm.Show(0x3041));
    std::vector<int> soundTicks;
    std::vector<int> beepTicks;  // of the first two blink periods
    for (int tick = 1; tick <= 79; ++tick) {
        alarm.Acknowledge();  // nothing to acknowledge while steady
        const auto t = alarm.Tick();
        EXPECT_FALSE(t.PlaySound || t.Beep) << tick;
        EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Steady);
    }
    for (int tick = 80; tick <= 80 + 81 * 2; ++tick) {
        const auto t = alarm.Tick();
        if (t.PlaySound) {
            soundTicks.push_back(tick);
        }
        if (t.Beep && tick < 112) {
            beepTicks.push_back(tick);
        }
    }
    EXPECT_EQ(soundTicks, (std::vector<int>{80, 161, 242}));
    // Red panel and beep while bit 3 of the phase is set: 400 ms off, 400 ms on.
    EXPECT_EQ(beepTicks,
              (std::vector<int>{88, 89, 90, 91, 92, 93, 94, 95, 104, 105, 106, 107, 108, 109, 110, 111}));
    EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Blink);

    // The same word keeps the phase; acknowledging silences it.
    EXPECT_FALSE(alarm.Show(0x3041));
    alarm.Acknowledge();
    EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Acknowledged);
    EXPECT_FALSE(alarm.Tick().PlaySound);
    EXPECT_FALSE(alarm.Show(0x3040));  // reduces to the same alarm: stays acknowledged
    EXPECT_EQ(alarm.Text(), "Потеря потока (слот 3)!");
    // A second click makes it blink and sound on from where it was.
    alarm.Acknowledge();
    EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Blink);
    int ticksToSound = 0;
    while (!alarm.Tick().PlaySound && ticksToSound < 200) {
        ++ticksToSound;
    }
    EXPECT_LT(ticksToSound, 81);
    alarm.Acknowledge();
    EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Acknowledged);

    // A different word starts a new steady phase; 0 clears.
    EXPECT_TRUE(alarm.Show(0x0800));
    EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Steady);
    EXPECT_TRUE(alarm.Show(0));
    EXPECT_EQ(alarm.Look(), TAlarmIndicator::TLook::Hidden);
    EXPECT_EQ(alarm.Text(), "");
}

TEST(AlarmIndication, AnAlarmClearedWithinFourSecondsNeverSounds) {
    TAlarmIndicator alarm;
    alarm.Show(0x1001);
    for (int tick = 0; tick < 79; ++tick) {
        EXPECT_FALSE(alarm.Tick().PlaySound);
    }
    alarm.Show(0);
    for (int tick = 0; tick < 200; ++tick) {
        const auto t = alarm.Tick();
        EXPECT_FALSE(t.PlaySound || t.Beep);
    }
}

}  // namespace
}  // namespace tervis
