#include "unattended/RunSummary.h"

#include "base/AnsiCodec.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/SqlLiteral.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace envio {

namespace {

QJsonValue text(const std::string& bytes) {
    return bytes.empty() ? QJsonValue() : QJsonValue(fromAnsi(bytes));
}

QJsonValue number(const std::optional<long long>& n) {
    return n ? QJsonValue(static_cast<double>(*n)) : QJsonValue();
}

} // namespace

void RunSummary::readPending(Connection& origin) {
    if (!origin.isOpen())
        return;
    Query query("QResumen", origin);
    const QDateTime now = QDateTime::currentDateTime();
    for (Destination& d : destinations) {
        try {
            query.clear();
            query.add(
                "select count(*) from replica_eventos where rpev_fecrep is null and rpev_tipo in (101, 126, "
                "1125, 1126, 229, 2291) and rpev_compania = " +
                sqlTextLiteral(d.sent.code));
            query.open();
            d.pending = query.field(0).AsInteger();
            query.close();
            query.clear();
            query.add(
                "select first 1 rpev_fecreg, rpev_horareg from replica_eventos where rpev_fecrep is null and "
                "rpev_tipo in (101, 126, 1125, 1126, 229, 2291) and rpev_compania = " +
                sqlTextLiteral(d.sent.code) + " order by rpev_fecreg, rpev_horareg");
            query.open();
            if (!query.isEmpty() && !query.field(0).isNull()) {
                const Value date = query.field(0).AsVariant();
                const Value time = query.field(1).AsVariant();
                const QDateTime oldest =
                    date.kind() == Value::Kind::DateTime
                        ? date.asDateTime()
                        : QDateTime(date.asDate(), time.isNull() ? QTime(0, 0) : time.asTime());
                d.oldestPendingSeconds = oldest.secsTo(now);
            }
            query.close();
        } catch (const Error&) {
            // The origin could not say: the summary leaves the figures unknown rather than failing the run.
            query.close();
        }
    }
}

bool RunSummary::write(const std::string& path) const {
    QJsonArray list;
    for (const Destination& d : destinations) {
        QJsonObject o;
        o["code"] = fromAnsi(d.sent.code);
        o["name"] = fromAnsi(d.sent.name);
        o["location"] = fromAnsi(d.sent.location);
        o["connected"] = d.sent.connected;
        o["read"] = d.sent.read;
        o["applied"] = d.sent.applied;
        o["failed"] = d.sent.failed;
        o["passedOver"] = d.sent.passedOver;
        o["pending"] = number(d.pending);
        o["oldestPendingSeconds"] = number(d.oldestPendingSeconds);
        o["lastError"] = text(d.lastError);
        list.append(o);
    }
    QJsonObject root;
    root["outcome"] = QString::fromStdString(outcome);
    root["exitCode"] = exitCode;
    root["started"] = started.toString(Qt::ISODate);
    root["finished"] = finished.toString(Qt::ISODate);
    root["error"] = text(error);
    root["destinations"] = list;

    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

} // namespace envio
