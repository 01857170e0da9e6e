// The headless runner as a program: its exit code and what it writes for a completed run (also one that
// skipped an unreachable destination or left a refused row pending), a refused run, and runs abandoned by a
// failure or by an unreachable origin.

#include "faults/RunnerFixture.h"

using namespace envio;
using namespace envio::test;

namespace {

using RunnerExitCodeTest = RunnerTest;

TEST_F(RunnerExitCodeTest, CompletedRunsExitWithZero) {
    TcpProxy proxy;
    addDestinationEntry("002", "Sucursal Norte", server());
    // A second entry for 002 whose server is down: skipped and journaled, the run still completes.
    addDestinationEntry("002", "Sucursal Norte (respaldo)", proxy.through(root_.path().toStdString()));
    proxy.cut();
    const int sent = addEvent(EventSpec(1125, 1));
    const int refused = addEvent(EventSpec(1125, 2));

    const Outcome o = runProgram(server(), "001");

    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(state(sent), "stamped");
    EXPECT_EQ(state(refused), "pending");
    EXPECT_NE(note(refused).find("Lista rechazada"), std::string::npos) << note(refused);
    EXPECT_TRUE(o.out.contains("Transmitiendo informaci\xC3\xB3n de Sucursal Norte")) << o.out.toStdString();
    EXPECT_TRUE(o.err.contains("Lista rechazada"))
        << "the box goes to standard error: " << o.err.toStdString();
    // The runner writes dates and times in the regional formats of its own locale.
    const QByteArray errors = install_.errors();
    EXPECT_TRUE(errors.contains("Lista rechazada")) << errors.toStdString();
    EXPECT_TRUE(errors.endsWith(QByteArray::fromStdString(",No se pudo entablar conexi\xF3n con la BD " +
                                                          proxy.through(root_.path().toStdString()) +
                                                          "/datos/002/vertano.fdb\r\n")))
        << errors.toStdString();
    EXPECT_EQ(norte_->scalar("select prfu_nombre from precios_futuros"), "LISTA 1");
}

TEST_F(RunnerExitCodeTest, RunWithoutAnOriginCompanyExitsWithTwo) {
    addDestinationEntry("002", "Sucursal Norte", server());
    const int event = addEvent(EventSpec(1125, 1));
    // 003 has a database but no row in the company list.
    TestDatabase unlisted({"company.sql"}, TestDatabase::Route::Server, "datos/003/vertano.fdb",
                          root_.path().toStdString());

    const Outcome o = runProgram(server(), "003");

    EXPECT_EQ(o.code, 2) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains("Debe indicar las compa\xC3\xB1\xC3\xAD"
                               "as origen y destino."))
        << o.err.toStdString();
    EXPECT_EQ(state(event), "pending");
    EXPECT_FALSE(QFile::exists(install_.auditPath()));
}

TEST_F(RunnerExitCodeTest, AbandonedRunsExitWithOne) {
    addDestinationEntry("002", "Sucursal Norte", server());
    const int before = addEvent(EventSpec(1125, 1));
    const int broken = addEvent(EventSpec(1126, std::nullopt, "A-0001"));
    const int after = addEvent(EventSpec(1125, 1, std::nullopt, "D"));

    const Outcome o = runProgram(server(), "001");

    EXPECT_EQ(o.code, 1) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains("Se presento el siguiente error: SQL Server Error: ")) << o.err.toStdString();
    EXPECT_EQ(state(before), "stamped");
    EXPECT_EQ(state(broken), "pending");
    EXPECT_EQ(state(after), "pending");

    // The origin's server cannot be reached at all.
    origin().run("DELETE FROM REPLICA_EVENTOS WHERE RPEV_ID = " + std::to_string(broken));
    TcpProxy proxy;
    proxy.cut();
    const Outcome away = runProgram(proxy.through(root_.path().toStdString()), "001");
    EXPECT_EQ(away.code, 1) << away.err.toStdString();
    EXPECT_TRUE(away.err.contains("No se encontr\xC3\xB3 el equipo servidor con nombre 127.0.0.1"))
        << away.err.toStdString();
    EXPECT_EQ(state(after), "pending");

    // Back again: the next start sends the rest.
    proxy.restore();
    const Outcome back = runProgram(proxy.through(root_.path().toStdString()), "001");
    EXPECT_EQ(back.code, 0) << back.err.toStdString();
    EXPECT_EQ(state(after), "stamped");
    EXPECT_EQ(norte_->scalar("select count(*) from precios_futuros"), "0");
}

} // namespace
