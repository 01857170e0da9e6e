// The pending-events window over a large list, driven as the operator drives it: opening the list, sorting
// by two columns, filtering from the filter row and with a custom filter's text, an incremental search over
// the sorted list, and saving the whole list as CSV and as a spreadsheet.
//
// usage: pending_bench DATABASE [REPEATS]
// Prints one line per operation: its name and the median of REPEATS runs in milliseconds.
#include "replication/PendingEvents.h"
#include "replication/ReplicationSession.h"
#include "support/ScriptedDialogs.h"
#include "ui/Application.h"
#include "ui/EventGrid.h"
#include "ui/PendingEventsWindow.h"
#include "ui/grid/FilterCustomDialog.h"

#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsOf(const std::function<void()>& action) {
    const auto start = Clock::now();
    action();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void sendKey(QWidget* to, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
             const QString& text = {}) {
    QKeyEvent event(type, key, modifiers, text);
    QCoreApplication::sendEvent(to, &event);
}

void type(QWidget* to, const QString& text) {
    for (const QChar c : text) {
        sendKey(to, QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        sendKey(to, QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    }
}

enum Column { TipoDoc, Codigo, Servidor, Fecha, Hora, Op, Mensaje };

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pending_bench DATABASE [REPEATS]\n");
        return 2;
    }
    const std::string database = argv[1];
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    int qtArgc = 1;
    envio::Application app(qtArgc, argv);
    bool failed = false;
    envio::setFailureHandler([&failed](std::exception_ptr failure) {
        failed = true;
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "pending_bench: %s\n", e.what());
        }
    });
    envio::ScriptedDialogs desktop;
    envio::ScopedDialogs scoped(desktop);
    QTemporaryDir files;

    envio::ReplicationSession session;
    session.origin().setParameter("Database", database);

    const std::vector<std::string> order = {"open_list",  "open_window",   "sort_two_columns",
                                            "filter_row", "custom_filter", "search_sorted",
                                            "snapshot",   "save_csv",      "save_xls"};
    std::map<std::string, std::vector<double>> times;
    int rows = 0;
    int filtered = 0;
    int customFiltered = 0;
    try {
        for (int r = 0; r < repeats; ++r) {
            // The list alone, as the window's activation reads it.
            {
                envio::PendingEvents pending(session);
                times["open_list"].push_back(millisecondsOf([&] { pending.open(); }));
                rows = pending.list().recordCount();
            }

            // The window's activation: the list, the type names and the grid showing them.
            envio::PendingEventsWindow window(session);
            window.show();
            envio::EventGrid& grid = *window.controls().eventsGrid;
            times["open_window"].push_back(millisecondsOf([&] {
                window.openList();
                QCoreApplication::processEvents();
            }));

            // Ctrl+click on "Fecha" and "Hora", then Ctrl released: ordered by date, then time.
            times["sort_two_columns"].push_back(millisecondsOf([&] {
                grid.titleClick(Fecha, true);
                grid.titleClick(Hora, true);
                sendKey(&grid, QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
                QCoreApplication::processEvents();
            }));

            // Typing a code found near the end of the sorted list, then a character no code continues with.
            grid.setFocus();
            grid.setCurrentCell(0, Codigo);
            const QString last = grid.rows().displayText(grid.rows().rowCount() - 1, Codigo);
            times["search_sorted"].push_back(millisecondsOf([&] {
                type(&grid, last + QStringLiteral("#"));
                QCoreApplication::processEvents();
            }));
            grid.searchTimedOut();

            times["filter_row"].push_back(millisecondsOf([&] {
                grid.setFilterText(Codigo, QStringLiteral("B-1%"));
                grid.applyFilter();
                QCoreApplication::processEvents();
            }));
            filtered = grid.rows().rowCount();

            envio::CustomFilterFields fields;
            fields.first = {envio::CustomFilterOperator::BeginsWith, QStringLiteral("B-2")};
            fields.relation = envio::FilterRelation::Or;
            fields.second = {envio::CustomFilterOperator::Contains, QStringLiteral("77")};
            const QString custom = envio::customFilterText(fields, envio::FilterValueKind::Text);
            times["custom_filter"].push_back(millisecondsOf([&] {
                grid.setFilterText(Codigo, custom);
                grid.applyFilter();
                QCoreApplication::processEvents();
            }));
            customFiltered = grid.rows().rowCount();

            grid.filterListChosen(Codigo, envio::FilterMenuEntry::ClearFilter);
            grid.selectAll();
            // What every save and copy starts with: the rows as the grid shows them.
            times["snapshot"].push_back(
                millisecondsOf([&] { grid.snapshot(envio::GridSelection::State::All); }));
            desktop.setNextSave(envio::SaveChoice{files.filePath(QStringLiteral("lista")), 2});
            times["save_csv"].push_back(millisecondsOf(
                [&] { grid.saveSelection(envio::PendingEventsWindow::defaultSaveName(), true); }));
            desktop.setNextSave(envio::SaveChoice{files.filePath(QStringLiteral("lista")), 5});
            times["save_xls"].push_back(millisecondsOf(
                [&] { grid.saveSelection(envio::PendingEventsWindow::defaultSaveName(), true); }));
            window.close();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pending_bench: %s\n", e.what());
        return 1;
    }
    if (failed)
        return 1;

    std::printf("rows listed %d, after the filter row %d, after the custom filter %d\n", rows, filtered,
                customFiltered);
    for (const std::string& name : order)
        std::printf("%-17s %10.1f ms\n", name.c_str(), median(times[name]));
    return 0;
}
