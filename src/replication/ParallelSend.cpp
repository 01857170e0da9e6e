#include "replication/ParallelSend.h"

#include "app/Dialogs.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "db/Connection.h"
#include "replication/Journal.h"
#include "replication/RunMailbox.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace envio {

namespace {

// The boxes of a lane, shown by the run's thread; the lane waits for each.
class ForwardedDialogs : public Dialogs {
public:
    explicit ForwardedDialogs(RunMailbox& mailbox) : mailbox_(mailbox) {}

    void message(const QString& text) override {
        mailbox_.call([&] { dialogs().message(text); });
    }
    void error(const QString& text) override {
        mailbox_.call([&] { dialogs().error(text); });
    }
    bool confirm(const QString& caption, const QString& text) override {
        bool answer = false;
        mailbox_.call([&] { answer = dialogs().confirm(caption, text); });
        return answer;
    }
    bool ask(const QString& text) override {
        bool answer = false;
        mailbox_.call([&] { answer = dialogs().ask(text); });
        return answer;
    }
    void beep() override {
        mailbox_.call([] { dialogs().beep(); });
    }
    std::optional<SaveChoice> saveFile(const QString& defaultName, const QStringList& filters) override {
        std::optional<SaveChoice> choice;
        mailbox_.call([&] { choice = dialogs().saveFile(defaultName, filters); });
        return choice;
    }
    void setClipboard(const std::vector<ClipboardItem>& items) override {
        mailbox_.call([&] { dialogs().setClipboard(items); });
    }

private:
    RunMailbox& mailbox_;
};

// What the progress panel shows, kept by the run's thread only.
struct PanelState {
    std::vector<std::string> inFlight; // names of the destinations being served
    int read = 0;
    int started = 0;
};

QString caption(const PanelState& panel) {
    QString names;
    for (const std::string& name : panel.inFlight) {
        if (!names.isEmpty())
            names += QStringLiteral(", ");
        names += fromAnsi(name);
    }
    return transmittingCaption(names);
}

// What is shared by the lanes of one run.
struct Shared {
    RunMailbox mailbox;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> abandoned{false};
    std::atomic<bool> stopped{false};
    std::mutex failureLock;
    std::exception_ptr failure;
};

class LaneReport : public LaneProgress {
public:
    LaneReport(Shared& shared, PanelState& panel, SendRunView& view)
        : shared_(shared), panel_(panel), view_(view) {}

    void destinationStarted(const DestinationSummary& d) override {
        shared_.mailbox.post([&panel = panel_, &view = view_, d] {
            panel.inFlight.push_back(d.name);
            view.setProgressCaption(caption(panel));
            view.destinationStarted(d);
        });
    }
    void eventsRead(const DestinationSummary& d) override {
        shared_.mailbox.post([&panel = panel_, &view = view_, read = d.read] {
            panel.read += read;
            view.setProgressRange(panel.read);
            view.setProgressPosition(panel.started);
        });
    }
    void eventStarted(const std::string& summary) override {
        shared_.mailbox.post([&panel = panel_, &view = view_, summary] {
            ++panel.started;
            view.setEventSummary(summary);
            view.setProgressPosition(panel.started);
        });
    }
    bool shouldStop() override { return stop::requested() || shared_.abandoned.load(); }

    void destinationDone(const DestinationSummary& d) {
        shared_.mailbox.post([&panel = panel_, &view = view_, d] {
            const auto at = std::find(panel.inFlight.begin(), panel.inFlight.end(), d.name);
            if (at != panel.inFlight.end())
                panel.inFlight.erase(at);
            if (!panel.inFlight.empty())
                view.setProgressCaption(caption(panel));
            view.destinationDone(d);
        });
    }

private:
    Shared& shared_;
    PanelState& panel_;
    SendRunView& view_;
};

} // namespace

ParallelSend::ParallelSend(ParameterList origin, ParameterList destination, SendRunView& view, int lanes)
    : origin_(std::move(origin)), destination_(std::move(destination)), view_(view), lanes_(lanes) {}

bool ParallelSend::run(std::vector<DestinationSummary>& destinations, const SendSettings& settings) {
    // Entries of one company read the same pending events: one lane serves them, one after another in the
    // order of the list.
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < destinations.size(); ++i) {
        const auto same = std::find_if(groups.begin(), groups.end(), [&](const std::vector<std::size_t>& g) {
            return destinations[g.front()].code == destinations[i].code;
        });
        if (same == groups.end())
            groups.push_back({i});
        else
            same->push_back(i);
    }
    Shared shared;
    PanelState panel;
    const int lanes = std::min<int>(lanes_, static_cast<int>(groups.size()));
    int lanesRunning = lanes;

    auto serve = [&] {
        ForwardedDialogs forwarded(shared.mailbox);
        const ThreadDialogs boxes(forwarded);
        LaneReport report(shared, panel, view_);
        try {
            Connection origin("DBEnvio", origin_);
            Connection destination("DBCia", destination_);
            SendLane lane(origin, destination);
            bool ended = false;
            while (!ended) {
                const std::size_t index = shared.next.fetch_add(1);
                if (index >= groups.size())
                    break;
                for (const std::size_t at : groups[index]) {
                    if (report.shouldStop()) {
                        if (stop::requested())
                            shared.stopped = true;
                        ended = true;
                        break;
                    }
                    DestinationSummary& d = destinations[at];
                    bool completed = false;
                    {
                        const JournalBlock block;
                        completed = lane.send(d, settings, report);
                    }
                    report.destinationDone(d);
                    if (!completed) {
                        shared.stopped = true;
                        ended = true;
                        break;
                    }
                }
            }
        } catch (...) {
            const std::lock_guard guard(shared.failureLock);
            if (!shared.failure)
                shared.failure = std::current_exception();
            shared.abandoned = true;
        }
        shared.mailbox.post([&lanesRunning] { --lanesRunning; });
    };

    std::vector<std::jthread> threads;
    threads.reserve(static_cast<std::size_t>(lanes));
    try {
        for (int i = 0; i < lanes; ++i)
            threads.emplace_back(serve);
        while (lanesRunning > 0) {
            shared.mailbox.runPending();
            if (lanesRunning == 0)
                break;
            view_.processMessages();
            shared.mailbox.wait(std::chrono::milliseconds(20));
        }
    } catch (...) {
        // The window failed under the run: the lanes end before their next event, nobody waits for a box.
        shared.abandoned = true;
        shared.mailbox.close();
        threads.clear();
        throw;
    }
    threads.clear();
    if (shared.failure)
        std::rethrow_exception(shared.failure);
    return !shared.stopped;
}

} // namespace envio
