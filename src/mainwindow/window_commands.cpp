#include "mainwindow/window_commands.h"

#include "core/fields_list.h"
#include "core/messages.h"
#include "core/placement.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "core/tag_id.h"
#include "core/tqbreindex.h"
#include "core/tsystemreindex.h"
#include "mainwindow/command_runner.h"
#include "mainwindow/record_editor.h"
#include "mainwindow/record_search.h"
#include "mainwindow/sort_orders.h"
#include "mainwindow/taddressbrowseform.h"
#include "mainwindow/tsearchbox.h"
#include "core/ttagallrecords.h"
#include "platform/xbase/table.h"

#include <QApplication>
#include <QFileInfo>

namespace qb {

namespace {

const QString kNeedDatabase = QStringLiteral("You need to have a database file open first");

xbase::Table& tableOf(CommandHost& host) { return host.addressTable().table(); }

// ---- the filter -------------------------------------------------------------

void setFilter(MainWindowHost& w)
{
    const FilterConditions remembered = w.filter().conditions;
    // "Test" applies the boxes to the main table while the dialog stays up.
    const auto test = [&w](const FilterConditions& conditions) {
        std::optional<uint32_t> matches;
        runReportingErrors([&] {
            w.filter().conditions = conditions;
            const uint32_t found = w.applyFilter();
            tableOf(w).first();
            w.showCurrentRecord();
            if (w.filter().isSet())
                matches = found;
        });
        return matches;
    };
    TAddressQueryForm dialog(w.filter().conditions, w.queryFormPlacement(), test, w.window());
    centreWindow(&dialog);
    w.filter().conditions = dialog.exec() == QDialog::Accepted ? dialog.conditions() : remembered;
    w.applyFilter();
    tableOf(w).first();
}

void clearFilter(MainWindowHost& w)
{
    w.filter().ClearQueryVars();
    if (!w.addressTable().isOpen())
        return;
    w.applyFilter();
    tableOf(w).first();
}

void saveFilter(MainWindowHost& w)
{
    const QString chosen = w.askFilterFile(true);
    if (chosen.isEmpty())
        return;
    const std::optional<QString> path = filterFileForSaving(chosen);
    if (!path)
        return;
    if (QFileInfo::exists(*path) &&
        !askQuestionDefaultNo(*path + QStringLiteral(" already exists.\r\nDo you want to overwrite it?"),
                              QStringLiteral("Warning!")))
        return;
    if (!SaveFilterTo(*path, w.filter().conditions))
        showInformation(QStringLiteral("Unable to write ") + *path);
}

void restoreFilter(MainWindowHost& w)
{
    const QString path = w.askFilterFile(false);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().toUpper() != QLatin1String("FLT")) {
        showInformation(kMustBeFltFile);
        return;
    }
    const std::optional<FilterConditions> read = RestoreFilterFrom(path);
    if (!read) {
        showInformation(QStringLiteral("Unable to read ") + path);
        return;
    }
    w.filter().conditions = *read;
    w.applyFilter();
    tableOf(w).first();
}

// ---- tags ---------------------------------------------------------------------

void clearTags(MainWindowHost& w)
{
    const QString id = newTagId();
    Settings settings = Settings::program();
    writeGlobalTagId(settings, id);
    w.addressTable().setTagId(id);
    // No record changes: the current one still passes whatever is left of the filter.
    xbase::Table& t = tableOf(w);
    const uint32_t recno = t.eof() ? 0 : t.recno();
    w.applyFilter();
    if (recno == 0 || !t.go(recno))
        t.first();
}

bool confirmTagAll(MainWindowHost& w)
{
    return w.filterIsSet() && askQuestion(QStringLiteral("Tag all records matching filter?"), QStringLiteral("TAG ALL"));
}

void tagAll(MainWindowHost& w)
{
    TTagAllRecords dialog(tableOf(w), w.addressTable().tagId(), w.window());
    centreWindow(&dialog);
    dialog.exec();
    // Tagging can take records out of a reversed "Tagged" filter.
    if (tableOf(w).countFiltered() == 0)
        w.applyFilter();
}

// ---- search and browse -----------------------------------------------------------

void searchByKey(MainWindowHost& w)
{
    if (tableOf(w).indexStale()) {
        showInformation(kSearchNeedsIndexMessage);
        return;
    }
    QStringList orders;
    for (const SortOrder& o : sortOrders())
        orders << plainCaption(o.caption);
    TSearchBox dialog(orders, plainCaption(w.editor().sortCaption()), w.window());
    centreWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.searchText().isEmpty())
        return;
    w.editor().selectSortOrder(dialog.chosenOrder());
    keySearch(tableOf(w), dialog.searchText());
}

void findInMemo(MainWindowHost& w, bool fromStart)
{
    MemoSearchState& search = w.memoSearch();
    search.found = false;
    TQBWSearching window(search.text, w.window());
    centreWindow(&window);
    search.found = window.run([&](const std::function<bool()>& keepGoing) {
        return findTextInMemo(tableOf(w), search.text, fromStart, keepGoing);
    });
    if (!search.found)
        QApplication::beep();
}

void searchMemo(MainWindowHost& w)
{
    const std::optional<QString> text = w.askMemoSearchText();
    if (!text)
        return;
    w.memoSearch().text = text->left(255);
    findInMemo(w, true);
}

void browse(MainWindowHost& w)
{
    std::vector<RecordViewField> fields = recordViewFields(tableOf(w));
    QStringList names;
    for (const RecordViewField& f : fields)
        names << f.name;
    const QString listPath = fieldsListPath();
    if (const std::optional<QStringList> listed = readFieldsList(listPath))
        names = applyFieldsList(names, *listed);
    std::vector<RecordViewField> ordered;
    for (const QString& name : names)
        for (const RecordViewField& f : fields)
            if (f.name == name)
                ordered.push_back(f);

    TAddressBrowseForm::Hooks hooks;
    hooks.toggleTag = [&w] {
        bool changed = false;
        runReportingErrors([&] { changed = w.editor().toggleTag(); });
        return changed;
    };
    hooks.filterSet = [&w] { return w.filterIsSet(); };
    hooks.moved = [&w] { runReportingErrors([&] { w.showCurrentRecord(); }); };
    QStringList order;
    {
        TAddressBrowseForm form(w.addressTable(), ordered, hooks, w.window());
        form.exec();
        order = fieldOrderAfterBrowse(names, form.columnOrder());
    }
    if (!writeFieldsList(listPath, order))
        showInformation(QStringLiteral("Unable to write ") + listPath);
}

// ---- indexes ----------------------------------------------------------------------

void rebuildIndexes(MainWindowHost& w)
{
    TQBReindex dialog(tableOf(w), w.window());
    centreWindow(&dialog);
    dialog.exec();
}

void rebuildSystemIndexes(MainWindowHost& w)
{
    TSystemReindex dialog(w.window());
    centreWindow(&dialog);
    dialog.exec();
}

} // namespace

void registerWindowCommands(CommandRegistry& registry, MainWindowHost& host)
{
    MainWindowHost* w = &host;
    const auto command = [w](const char* menuItem, const char* button, unsigned needs, CommandScope::Steps steps,
                             void (*work)(MainWindowHost&)) {
        Command c;
        c.menuItem = QLatin1String(menuItem);
        c.button = QLatin1String(button);
        c.needs = needs;
        c.steps = steps;
        c.run = [w, work](CommandHost&) { work(*w); };
        return c;
    };
    const unsigned browsing = NeedDatabase | NeedNotEditing;
    const unsigned onRecord = NeedDatabase | NeedNotEditing | NeedRecord;

    registry.add(command("mnuSetFilter", "FilterButton", browsing, {}, setFilter));
    registry.add(command("mnuClearFilter", "ClearFilterButton", NeedNotEditing, {}, clearFilter));
    registry.add(command("mnuSaveFilter", "", NeedNothing, {}, saveFilter));
    registry.add(command("mnuRestoreFilter", "", browsing, {}, restoreFilter));
    registry.add(command("mnuClearTags", "", browsing, {}, clearTags));
    Command tagAllMatches = command("mnuTagAllFilterMatches", "", browsing, CommandScope::tagAll(), tagAll);
    tagAllMatches.check = [w](CommandHost&) { return confirmTagAll(*w); };
    registry.add(std::move(tagAllMatches));
    registry.add(command("mnuSearch", "SearchButton", onRecord, {}, searchByKey));
    registry.add(command("", "SearchMemoButton", onRecord, CommandScope::memoSearch(), searchMemo));
    registry.add(command("", "FindNextButton", onRecord, CommandScope::memoSearch(),
                         [](MainWindowHost& h) { findInMemo(h, false); }));
    registry.add(command("mnuBrowse", "BrowseButton", browsing, {}, browse));
    Command reindex = command("mnuRebuildIndexes", "", browsing, CommandScope::rebuildIndexes(), rebuildIndexes);
    reindex.refusal = kNeedDatabase;
    registry.add(std::move(reindex));
    registry.add(command("mnuRebuildSystemIndexes", "", NeedNotEditing, {}, rebuildSystemIndexes));
}

} // namespace qb
