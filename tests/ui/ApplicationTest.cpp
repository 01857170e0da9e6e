#include "ui/Application.h"

#include "db/Error.h"
#include "support/ScriptedDialogs.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace envio {
namespace {

using Kind = ScriptedDialogs::Kind;

// A widget whose event handler fails with a given failure.
class FailingWidget : public QWidget {
public:
    explicit FailingWidget(std::function<void()> fail) : fail_(std::move(fail)) {}
    int reached = 0;

protected:
    void keyPressEvent(QKeyEvent*) override {
        fail_();
        ++reached;
    }

private:
    std::function<void()> fail_;
};

class FailureHandlerTest : public testing::Test {
protected:
    FailureHandlerTest() { setFailureHandler(&Application::showUnhandledFailure); }
    QString failWith(std::function<void()> fail) {
        desktop.clearCalls();
        FailingWidget widget(std::move(fail));
        QTest::keyClick(&widget, Qt::Key_A);
        EXPECT_EQ(widget.reached, 0); // the failing handler was abandoned where it failed
        const QStringList texts = desktop.texts(Kind::Message);
        EXPECT_LE(texts.size(), 1);
        return texts.isEmpty() ? QString() : texts.front();
    }

    ScriptedDialogs desktop;
    ScopedDialogs scoped{desktop};
};

TEST_F(FailureHandlerTest, AFailureLeavingAnEventHandlerIsShownTranslatedInAPlainBox) {
    EXPECT_EQ(failWith([] {
                  throw Error("Statement failed, SQLSTATE = 08001\nUnable to complete network request to "
                              "host \"sucursal\".\nFailed to locate host machine.");
              }),
              QStringLiteral("No se encontró el equipo servidor con nombre sucursal"));
    EXPECT_EQ(desktop.calls().front().caption, QStringLiteral("Envio precios"));
    EXPECT_EQ(failWith([] {
                  throw Error("Your user name and password are not defined. Ask your database "
                              "administrator to set up a Firebird login.");
              }),
              QStringLiteral("El nombre de Usuario o la clave son incorrectas."));
    EXPECT_EQ(failWith([] { throw std::runtime_error("List index out of bounds (3)"); }),
              QStringLiteral("Se presento el siguiente error: List index out of bounds (3)"));
}

TEST_F(FailureHandlerTest, ASilentAbortShowsNothingAndTheProgramGoesOn) {
    EXPECT_EQ(failWith([] { throw SilentAbort(); }), QString());
    EXPECT_TRUE(desktop.calls().empty());
    EXPECT_EQ(failWith([] { throw Error("Key violation"); }),
              QStringLiteral("Se presento el siguiente error: Key violation"));
}

// The desktop's own boxes, answered by a key once they are up.
void answerNextBox(Qt::Key key) {
    QTimer::singleShot(0, qApp, [key] {
        (void)QTest::qWaitFor(
            [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; });
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box)
            QTest::keyClick(box, key);
    });
}

TEST(QtDialogsTest, ConfirmDefaultsToYesAndEscAnswersNo) {
    QtDialogs desktop;
    answerNextBox(Qt::Key_Return);
    EXPECT_TRUE(desktop.confirm(QStringLiteral("Confirm"), QStringLiteral("Delete record?")));
    answerNextBox(Qt::Key_Escape);
    EXPECT_FALSE(desktop.confirm(QStringLiteral("Confirm"), QStringLiteral("Delete record?")));
}

TEST(QtDialogsTest, MessageBoxesCarryTheirCaptions) {
    QtDialogs desktop;
    QString caption;
    QTimer::singleShot(0, qApp, [&] {
        (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; });
        if (QWidget* box = QApplication::activeModalWidget()) {
            caption = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    desktop.error(QStringLiteral("Fila rechazada"));
    EXPECT_EQ(caption, QStringLiteral("Error"));
}

TEST(QtDialogsTest, TheClipboardOffersEveryFormatGiven) {
    QtDialogs desktop;
    desktop.setClipboard({{QStringLiteral("text/plain"), QByteArray("uno\tdos")},
                          {QStringLiteral("text/html"), QByteArray("<table></table>")},
                          {QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""),
                           QByteArray("{\\rtf1}")}});
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(QStringLiteral("text/plain")), QByteArray("uno\tdos"));
    EXPECT_EQ(data->data(QStringLiteral("text/html")), QByteArray("<table></table>"));
    EXPECT_EQ(data->data(QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\"")),
              QByteArray("{\\rtf1}"));
}

} // namespace
} // namespace envio
