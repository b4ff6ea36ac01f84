// Hostile text (tests/common/HostileText.h) typed into the client dialog: each edit shows the text
// cut at its limit and never half of a character, and saving stores exactly what the dialog
// shows, or refuses plainly.

#include "Clients.h"
#include "ClientsDetForm.h"
#include "DbError.h"
#include "HostileText.h"
#include "TestDb.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace {
bool wholeCharacters(const QString &s)
{
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && (i + 1 == s.size() || !s.at(i + 1).isLowSurrogate()))
            return false;
        if (s.at(i).isLowSurrogate() && (i == 0 || !s.at(i - 1).isHighSurrogate()))
            return false;
    }
    return true;
}
} // namespace

class TestHostileWindows : public QObject
{
    Q_OBJECT

private slots:
    void clientDialogShowsAndStoresTheSame_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        for (const QString &engine : TestDb::engines())
            for (const HostileText::Case &c : HostileText::cases())
                QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(c.name))) << engine << c.text;
    }
    void clientDialogShowsAndStoresTheSame()
    {
        QFETCH(QString, engine);
        QFETCH(QString, text);
        TestDb::Fresh db(engine);
        TClientsDetForm f;
        f.loadForNew();
        f.edt_Client_Name->setText(text);
        f.edt_Web_Site->setText(text);
        f.mem_HO_Address->setPlainText(text);
        f.cb_Client_Kind->setCurrentIndex(0);
        f.cb_Client_Size->setCurrentIndex(0);
        f.cb_PaymentTerms->setCurrentIndex(0);
        QCOMPARE(f.validate(), QString());

        const Clients::MainData d = f.data();
        const QList<std::pair<QString, int>> shown{{d.name, 50}, {d.webSite, 50}, {d.hoAddress, 255}};
        for (const auto &[s, limit] : shown) {
            QVERIFY2(s.size() <= limit, qPrintable(QString::number(s.size())));
            QVERIFY2(wholeCharacters(s), "an edit shows half of a character");
            QVERIFY(text.contains(s.trimmed()));
        }

        qint64 id = 0;
        try {
            id = Clients::insert(db.connection(), d);
        } catch (const DbError &e) {
            QVERIFY2(HostileText::hasNul(text), qPrintable(e.message()));
            QVERIFY(e.message().contains(QLatin1String("NUL")));
            return;
        }
        QVERIFY(!HostileText::hasNul(text));
        const QVariantList back = QVariantList{
            TestDb::scalar(db.connection(), QStringLiteral("SELECT Client_Name FROM Clients WHERE Rec_ID = :I"), {id}),
            TestDb::scalar(db.connection(), QStringLiteral("SELECT Web_Site FROM Clients WHERE Rec_ID = :I"), {id}),
            TestDb::scalar(db.connection(), QStringLiteral("SELECT HO_Address FROM Clients WHERE Rec_ID = :I"), {id})};
        QCOMPARE(back.at(0).toString(), d.name);
        QCOMPARE(back.at(1).toString(), d.webSite);
        QCOMPARE(back.at(2).toString(), d.hoAddress);
    }
};

QTEST_MAIN(TestHostileWindows)
#include "test_hostile_windows.moc"
