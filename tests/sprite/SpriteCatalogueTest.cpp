#include "sprite/SpriteCatalogue.h"
#include "sprite/SpriteBlock.h"

#include "RowTable.h"

#include <QtTest>

#include <set>

using namespace morvane;
using namespace morvane::test;

namespace {

// The labels fixed for the generic entries; the character entries (empty here) are free text.
const char* const kFixedLabels[kSpriteCount] = {nullptr, nullptr, nullptr, nullptr, "Boy",
    "Morvane", "Girl", "Boy", "Girl", "Morvane", "Old Man", "Old Lady", "Boy", "Old Lady", "Boy",
    "?????", "Nurse", "Old Lady", "Boy", "Old Man", "Boy", "Old Man", nullptr, nullptr, "?????",
    "Cop", "Woman", "Man", "Girl", nullptr, "Man", "Girl", "Morvane", "?????", "?????", "Man",
    "Morvane", "Woman", nullptr, "Morvane", "Morvane", "Morvane", nullptr, nullptr, nullptr};

std::string Trimmed(std::string_view label)
{
    // npos + 1 wraps to 0, so a label of blanks trims to nothing.
    return std::string(label.substr(0, label.find_last_not_of(' ') + 1));
}

struct Row {
    const char* name;
    int index;
    const char* offset;
};

} // namespace

class SpriteCatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void offsetText_data()
    {
        AddRows<Row>({{"first of run 1", 0, "82928"}, {"second of run 1", 1, "83312"},
            {"last of run 1", 20, "90608"}, {"first of run 2, past the gap", 21, "91184"},
            {"second of run 2", 22, "91568"}, {"last of run 2", 36, "96944"},
            {"first of run 3", 37, "1042032"}, {"last of run 3", 44, "1044720"},
            {"no selection", -1, "?"}, {"one past the list", 45, "?"},
            {"lowest index", -32768, "?"}, {"highest index", 32767, "?"}});
    }
    void offsetText()
    {
        const auto& row = CurrentRow<Row>();
        QCOMPARE(SpriteOffset(static_cast<std::int16_t>(row.index)), std::string(row.offset));
    }

    void offsetValueAgreesWithTextForEveryIndex()
    {
        // Save goes through the text and Load Sprite through the number: they must never disagree.
        for (int i = INT16_MIN; i <= INT16_MAX; ++i) {
            const auto index = static_cast<std::int16_t>(i);
            const auto value = SpriteOffsetValue(index);
            QCOMPARE(value.has_value(), i >= 0 && i < kSpriteCount);
            QCOMPARE(SpriteOffset(index), value ? std::to_string(*value) : std::string("?"));
        }
    }

    void blocksLieApartAndInsideTheImage()
    {
        std::vector<std::int32_t> offsets;
        for (int i = 0; i < kSpriteCount; ++i)
            offsets.push_back(*SpriteOffsetValue(static_cast<std::int16_t>(i)));
        std::sort(offsets.begin(), offsets.end());
        for (std::size_t i = 1; i < offsets.size(); ++i)
            QVERIFY2(offsets[i] - offsets[i - 1] >= kSpriteBlockBytes, "two blocks overlap");
        QCOMPARE(offsets.back() + kSpriteBlockBytes, kLastBlockEnd);
    }

    void labels()
    {
        for (int i = 0; i < kSpriteCount; ++i) {
            const std::string label = Trimmed(SpriteLabel(i));
            QVERIFY2(!label.empty(), qPrintable(QStringLiteral("entry %1 has no label").arg(i)));
            if (kFixedLabels[i])
                QCOMPARE(label, std::string(kFixedLabels[i]));
        }
        QVERIFY(Trimmed(SpriteLabel(0)) != Trimmed(SpriteLabel(1)));
        QVERIFY(Trimmed(SpriteLabel(29)).ends_with('?'));
        QVERIFY(SpriteLabel(-1).empty());
        QVERIFY(SpriteLabel(kSpriteCount).empty());
    }

    void sameLabelMeansDifferentBlock()
    {
        std::map<std::string, std::set<std::int32_t>> offsetsByLabel;
        for (int i = 0; i < kSpriteCount; ++i) {
            const std::string label = Trimmed(SpriteLabel(i));
            const auto offset = *SpriteOffsetValue(static_cast<std::int16_t>(i));
            QVERIFY2(offsetsByLabel[label].insert(offset).second, label.c_str());
        }
        QVERIFY(offsetsByLabel["Boy"].size() > 1);
    }
};

QTEST_GUILESS_MAIN(SpriteCatalogueTest)
#include "SpriteCatalogueTest.moc"
