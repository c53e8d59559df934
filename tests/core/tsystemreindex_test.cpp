#include "sysdata_fixture.h"

#include "core/tsystemreindex.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <filesystem>

namespace qb::test {
namespace {

using xbase::OpenMode;
using xbase::Table;

// Every system table but CSZ, two rows each of which "old" carries the deleted
// mark; the label catalogue's index is damaged.
class SystemReindex : public SysdataTest {
protected:
    void SetUp() override
    {
        SysdataTest::SetUp();
        for (auto which : {SystemTable::Label, SystemTable::Envelope, SystemTable::Letter, SystemTable::Report,
                           SystemTable::LabelStock})
            makeTable(which, {"kept", "old"}, {"old"});
        xbase::test::writeFile(sysdata("LABEL.CDX"), std::string(1024, '\x7f'));
    }

    struct Rebuilt {
        uint32_t rows;
        std::string tag;
        std::string expression;
        bool sound;
    };
    Rebuilt rebuilt(const char* file)
    {
        auto table = Table::open(sysdata(file), OpenMode::ReadOnly);
        return {table->recordCount(), table->tagCount() == 1 ? table->tagInfo(1).name : "",
                table->tagCount() == 1 ? table->tagInfo(1).keyExpr : "", table->check().empty()};
    }

    void expectFiveRebuilt()
    {
        const std::vector<std::tuple<const char*, const char*, const char*>> expected{
            {"LETTER.DBF", "DESCRIPT", "UPPER(DESCRIPT)"},   {"LABEL.DBF", "DESCRIPT", "UPPER(DESCRIPT)"},
            {"LBLTPL.DBF", "DESCRIPT", "UPPER(descript)"},   {"ENVELOPE.DBF", "DESCRIPT", "UPPER(descript)"},
            {"REPORT.DBF", "DESCRIPT", "UPPER(descript)"}};
        for (const auto& [file, tag, expression] : expected) {
            SCOPED_TRACE(file);
            const Rebuilt r = rebuilt(file);
            EXPECT_EQ(r.rows, 1u);
            EXPECT_EQ(r.tag, tag);
            EXPECT_EQ(r.expression, expression);
            EXPECT_TRUE(r.sound);
        }
        EXPECT_FALSE(exists("CSZ.DBF"));
        EXPECT_FALSE(exists("CSZ.CDX"));
    }
};

TEST_F(SystemReindex, RebuildsInOrderAndPassesOverMissingCsz)
{
    QStringList statuses;
    rebuildSystemIndexes([&](const SystemIndexStep& step) { statuses << step.status; });

    EXPECT_EQ(statuses, (QStringList{"Rebuilding Letters File indexes", "Rebuilding Label File indexes",
                                     "Rebuilding State/Province File indexes", "Rebuilding Label Setup File indexes",
                                     "Rebuilding Envelope File indexes", "Rebuilding Report File indexes"}));
    expectFiveRebuilt();
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SystemReindex, TableInUseIsPassedOverAndTheRestRebuilt)
{
    auto held = Table::open(sysdata("ENVELOPE.DBF"), OpenMode::Exclusive);
    rebuildSystemIndexes({});

    EXPECT_EQ(held->recordCount(), 2u);
    held.reset();
    EXPECT_EQ(rebuilt("REPORT.DBF").rows, 1u);
    EXPECT_EQ(rebuilt("LETTER.DBF").rows, 1u);
    EXPECT_TRUE(messages.isEmpty());
}

class SystemReindexWindow : public SystemReindex {
protected:
    template <typename T>
    T* child(const char* name)
    {
        auto* w = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    TSystemReindex dialog;
};

TEST_F(SystemReindexWindow, OpensWithGaugeAndStatusHidden)
{
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Rebuild System Indexes");
    EXPECT_FALSE(child<QProgressBar>("Gauge")->isVisible());
    EXPECT_FALSE(child<QLabel>("StatusLine")->isVisible());
    auto* reindex = child<QPushButton>("ReindexButton");
    EXPECT_EQ(reindex->text(), "Reindex");
    EXPECT_TRUE(reindex->isDefault());
    EXPECT_TRUE(reindex->isEnabled());
    EXPECT_EQ(child<QPushButton>("CancelButton")->text(), "Cancel");
    EXPECT_EQ(child<QPushButton>("HelpButton")->text(), "Help");
    EXPECT_TRUE(child<QToolButton>("MouseHelpButton")->isVisible());
}

TEST_F(SystemReindexWindow, ReindexRebuildsEveryTableAndCloses)
{
    dialog.show();
    QTest::mouseClick(child<QPushButton>("ReindexButton"), Qt::LeftButton);

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(child<QLabel>("StatusLine")->text(), "Rebuilding Report File indexes");
    EXPECT_EQ(child<QProgressBar>("Gauge")->value(), 0);
    EXPECT_TRUE(child<QPushButton>("ReindexButton")->isEnabled());
    expectFiveRebuilt();
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SystemReindexWindow, CancelClosesWithoutTouchingTheTables)
{
    const std::string before = xbase::test::readFile(sysdata("REPORT.DBF"));
    dialog.show();
    QTest::mouseClick(child<QPushButton>("CancelButton"), Qt::LeftButton);

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(xbase::test::readFile(sysdata("REPORT.DBF")), before);
    EXPECT_EQ(rebuilt("REPORT.DBF").rows, 2u);
}

} // namespace
} // namespace qb::test
