// The top meter bar's choice of status kind, its revealed width and the
// status dialog's battery line.
#include "MeterBarRules.h"

#include "MeterDefinition.h"

#include <gtest/gtest.h>

namespace norvane {
namespace {

const MeterBarNames kNames{L"None", L"Battery", L"Backup Battery", L"Memory", L"Main Storage"};

TEST(MeterBarRules, SelectionPicksTheKindWithoutRegardToCase) {
    const struct {
        const wchar_t* text;
        unsigned kind;
    } cases[] = {{L"Battery", statuskind::kBattery},
                 {L"battery", statuskind::kBattery},
                 {L"BACKUP BATTERY", statuskind::kBackupBattery},
                 {L"memory", statuskind::kMemory},
                 {L"Main storage", statuskind::kMainStorage},
                 {L"", 0},
                 {L"none", 0},
                 {L"NONE", 0}};
    for (const auto& c : cases) {
        const MeterBarSelection selection = SelectMeterBar(c.text, kNames);
        EXPECT_EQ(selection.kind, c.kind) << c.text;
        EXPECT_TRUE(selection.storagePath.empty()) << c.text;
    }
}

TEST(MeterBarRules, AnyOtherTextIsTheFolderOfACard) {
    for (const wchar_t* text : {L"\\Storage Card", L"\\SD-MMC card", L"Batteryx", L" Battery"}) {
        const MeterBarSelection selection = SelectMeterBar(text, kNames);
        EXPECT_EQ(selection.kind, statuskind::kStorageCard) << text;
        EXPECT_EQ(selection.storagePath, text) << "the folder is kept as written";
    }
    // The names come from the string table: a translated table changes them.
    const MeterBarNames german{L"Keine", L"Akku", L"Reserveakku", L"Speicher", L"Hauptspeicher"};
    EXPECT_EQ(SelectMeterBar(L"akku", german).kind, statuskind::kBattery);
    EXPECT_EQ(SelectMeterBar(L"Battery", german).kind, statuskind::kStorageCard);
}

TEST(MeterBarRules, UnderALanguageModuleTheOwnNamesStillCount) {
    const MeterBarNames german{L"Keine", L"Akku", L"Reserveakku", L"Speicher", L"Hauptspeicher"};
    // The default and a choice saved in English keep their kinds; the
    // translated names select theirs; anything else is a card.
    EXPECT_EQ(SelectMeterBar(L"Battery", german, kNames).kind, statuskind::kBattery);
    EXPECT_EQ(SelectMeterBar(L"main storage", german, kNames).kind, statuskind::kMainStorage);
    EXPECT_EQ(SelectMeterBar(L"None", german, kNames).kind, 0u);
    EXPECT_EQ(SelectMeterBar(L"speicher", german, kNames).kind, statuskind::kMemory);
    const MeterBarSelection card = SelectMeterBar(L"\\Speicherkarte", german, kNames);
    EXPECT_EQ(card.kind, statuskind::kStorageCard);
    EXPECT_EQ(card.storagePath, L"\\Speicherkarte");

    // The check mark goes by what is shown.
    EXPECT_TRUE(SameMeterBarSelection(SelectMeterBar(L"Akku", german, kNames),
                                      SelectMeterBar(L"battery", german, kNames)));
    EXPECT_TRUE(SameMeterBarSelection(SelectMeterBar(L"\\storage card", german, kNames),
                                      SelectMeterBar(L"\\Storage Card", german, kNames)));
    EXPECT_FALSE(SameMeterBarSelection(SelectMeterBar(L"\\Storage Card", german, kNames),
                                       SelectMeterBar(L"\\Storage Card 2", german, kNames)));
    EXPECT_FALSE(SameMeterBarSelection(SelectMeterBar(L"Memory", german, kNames),
                                       SelectMeterBar(L"Main Storage", german, kNames)));
    EXPECT_TRUE(
        SameMeterBarSelection(SelectMeterBar(L"", german, kNames), SelectMeterBar(L"keine", german, kNames)));
}

TEST(MeterBarRules, RevealedWidthRoundsDownAndStaysInsideTheBar) {
    EXPECT_EQ(MeterBarRevealWidth(30, 240), 72);
    EXPECT_EQ(MeterBarRevealWidth(80, 480), 384);
    EXPECT_EQ(MeterBarRevealWidth(33, 320), 105); // 105.6 rounds down
    EXPECT_EQ(MeterBarRevealWidth(1, 99), 0);
    EXPECT_EQ(MeterBarRevealWidth(100, 640), 640);
    EXPECT_EQ(MeterBarRevealWidth(0, 240), 0);
    EXPECT_EQ(MeterBarRevealWidth(-1, 240), 0) << "an unknown value reveals nothing";
    EXPECT_EQ(MeterBarRevealWidth(255, 240), 240) << "never beyond the bar";
    EXPECT_EQ(MeterBarRevealWidth(50, 0), 0);
}

TEST(MeterBarRules, BatteryLine) {
    const struct {
        unsigned ac, flag, percent;
        const wchar_t* text;
    } cases[] = {
        {1, 1, 100, L"Charging (100%)"}, // on AC with a full battery
        {0, 8, 42, L"Charging (42%)"},   // the battery says it charges
        {1, 8, 255, L"Charging"},        // percent unknown
        {0, 1, 87, L"87%"},
        {0, 255, 50, L"Unknown"},
        {0, 1, 255, L"Unknown"},
        {1, 255, 70, L"Charging (70%)"},
        {0, 255, 255, L"Unknown"}, // an unknown flag does not read as charging
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BatteryStatusText(c.ac, c.flag, c.percent, L"Charging", L"Unknown"), c.text)
            << c.ac << " " << c.flag << " " << c.percent;
    }
}

} // namespace
} // namespace norvane

namespace norvane {
namespace {

TEST(MeterBarRules, AnchorColourTriples) {
    int r = -1, g = -1, b = -1;
    ASSERT_TRUE(ParseColourTriple(L"0,0,255", r, g, b));
    EXPECT_EQ(r * 1000000 + g * 1000 + b, 255);
    ASSERT_TRUE(ParseColourTriple(L" 128 , 0,128 ", r, g, b));
    EXPECT_EQ(r * 1000000 + g * 1000 + b, 128000128);
    for (const wchar_t* bad : {L"", L"0,0", L"0,0,256", L"1,2,3,4", L"a,b,c", L"1,,3", L"0001,0,0", L"-1,0,0",
                               L"1;2;3", L"99999999999,0,0"}) {
        r = g = b = 7;
        EXPECT_FALSE(ParseColourTriple(bad, r, g, b)) << bad;
        EXPECT_EQ(r + g + b, 21) << "outputs untouched for " << bad;
    }
}

} // namespace
} // namespace norvane
