#pragma once

// Shared by the master-data window tests: a database with a logged-in clerk, dialog answering,
// and a trigger that makes the database refuse one client name.
#include "Clients.h"
#include "DataModule1.h"
#include "Dialogs.h"
#include "Projects.h"
#include "Roles.h"
#include "Session.h"
#include "ShellFixtures.h"
#include "TestDb.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

// A check inside a dialog answerer, which cannot return from the test function.
#define IN_DIALOG(cond) QTest::qVerify(static_cast<bool>(cond), #cond, "", __FILE__, __LINE__)

namespace MdFixture {

const QString User = QStringLiteral("clerk");
const QStringList AllRoles{Roles::ClientsMgt,    Roles::ClientsAddNew, Roles::ClientsModify,     Roles::ProjectMgt,
                           Roles::ProjectAddNew, Roles::ProjectModify, Roles::ProjectListExport, Roles::ProjectRate};

struct Env
{
    TestDb::Fresh db;
    Session session;
    explicit Env(const QString &engine, const QStringList &roles = AllRoles) : db(engine), session(db.dataModule())
    {
        ShellFixtures::grant(db.connection(), User, roles);
        db.dataModule().Current_UserID = User;
        db.dataModule().openRoles(User);
    }
    Connection &c() { return db.connection(); }
    void reloadAllClients()
    {
        db.dataModule().AllClientsQ.close();
        db.dataModule().AllClientsQ.open();
    }
    qint64 client(const QString &name, bool active = true)
    {
        Clients::MainData d{name,
                            QStringLiteral("Normal Client"),
                            QStringLiteral("Large Company"),
                            QStringLiteral("Net 30 Days"),
                            {},
                            {},
                            active};
        const qint64 id = Clients::insert(c(), d);
        reloadAllClients();
        return id;
    }
    void project(const QString &name, qint64 clientId = 0, bool active = true, int wh = 8)
    {
        Projects::Record r;
        r.assignment = name;
        r.clientId = clientId;
        r.active = active;
        r.wh = wh;
        Projects::insert(c(), r);
    }
};

// Answers every dialog with the function while it lives; counts the dialogs.
struct Answering
{
    int dialogs = 0;
    explicit Answering(std::function<int(QDialog &)> f)
    {
        Dialogs::setAnswerer([this, f](QWidget &w) {
            ++dialogs;
            auto *d = qobject_cast<QDialog *>(&w);
            if (!d)
                return int(QDialog::Rejected);
            d->setResult(QDialog::Rejected);
            return f(*d);
        });
    }
    ~Answering() { Dialogs::setAnswerer({}); }
};

template <class W> std::unique_ptr<W> open(Env &env)
{
    auto w = std::make_unique<W>(env.session);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("window not exposed");
    return w;
}

inline void clickNamed(QWidget *w, const QString &name)
{
    auto *b = w->findChild<QPushButton *>(name);
    QVERIFY2(b, qPrintable(name));
    b->click();
}

inline void addRefusingTrigger(Env &env, const QString &clientName)
{
    if (env.db.engine() == QLatin1String("PostgreSQL")) {
        env.c().execDirect(
            QStringLiteral(
                "CREATE FUNCTION refuse_client() RETURNS trigger AS $$ BEGIN IF NEW.client_name = '%1' THEN "
                "RAISE EXCEPTION 'client name refused by trigger'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql")
                .arg(clientName));
        env.c().execDirect(QStringLiteral("CREATE TRIGGER refuse_client AFTER UPDATE ON Clients FOR EACH ROW "
                                          "EXECUTE FUNCTION refuse_client()"));
    } else {
        // FAIL keeps the statement's own change: only the transaction's rollback removes it.
        env.c().execDirect(QStringLiteral("CREATE TRIGGER refuse_client AFTER UPDATE ON Clients WHEN "
                                          "NEW.Client_Name = '%1' BEGIN SELECT RAISE(FAIL, 'client name refused "
                                          "by trigger'); END")
                               .arg(clientName));
    }
}

} // namespace MdFixture
using namespace MdFixture;
