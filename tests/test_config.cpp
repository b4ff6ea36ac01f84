// Workers.ini rules and the connection string the suite documents.
#include "DataModule1.h"
#include "DbError.h"
#include "WorkersIni.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

class TestConfig : public QObject
{
    Q_OBJECT

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void connectionString_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("catalog");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("expected");
        const QString head = QStringLiteral("Provider=SQLOLEDB.1;Password=Quorb8361;Persist Security Info=True;");
        const QString tail =
            QStringLiteral("Use Encryption for Data=False;Tag with column collation when possible=False;");
        QTest::newRow("the documented example")
            << "rev"
            << "HRDB"
            << "DBSRV"
            << "1.6.3.29"
            << "PC07"
            << head +
                   "User ID=rev;Initial Catalog=HRDB;Data Source=DBSRV;Use Procedure for Prepare=1;Auto Translate=True;"
                   "Packet Size=4096;Workstation ID=Tallimar-V1.6.3.29 PC07;" +
                   tail;
        QTest::newRow("no computer name leaves the version and one space")
            << "rev"
            << "HRDB"
            << "DBSRV"
            << "1.6.3.29"
            << ""
            << head +
                   "User ID=rev;Initial Catalog=HRDB;Data Source=DBSRV;Use Procedure for Prepare=1;Auto Translate=True;"
                   "Packet Size=4096;Workstation ID=Tallimar-V1.6.3.29 ;" +
                   tail;
        QTest::newRow("a semicolon in Source passes unchanged")
            << "rev"
            << "HRDB"
            << "DB;SRV"
            << "1.0.0.1"
            << "PC07"
            << head +
                   "User ID=rev;Initial Catalog=HRDB;Data Source=DB;SRV;Use Procedure for Prepare=1;Auto "
                   "Translate=True;"
                   "Packet Size=4096;Workstation ID=Tallimar-V1.0.0.1 PC07;" +
                   tail;
        QTest::newRow("missing keys go in empty")
            << ""
            << ""
            << ""
            << "1.0.0.1"
            << ""
            << head +
                   "User ID=;Initial Catalog=;Data Source=;Use Procedure for Prepare=1;Auto Translate=True;"
                   "Packet Size=4096;Workstation ID=Tallimar-V1.0.0.1 ;" +
                   tail;
    }
    void connectionString()
    {
        QFETCH(QString, user);
        QFETCH(QString, catalog);
        QFETCH(QString, source);
        QFETCH(QString, version);
        QFETCH(QString, computer);
        QFETCH(QString, expected);
        QCOMPARE(TDataModule1::buildConnectionString(TDataModule1::CompiledPassword, user, catalog, source, version,
                                                     computer),
                 expected);
    }

    // The builder re-reads the file at every attempt and takes COMPUTERNAME from the environment.
    void builderReadsFileAtEveryAttempt()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        write(ini, "[database]\nusername=rev\nCATALOG=HRDB\nSource=DBSRV\n");
        qputenv("COMPUTERNAME", "PC07");
        TDataModule1 dm(ini);
        ConnectionParams p = dm.ADOConnection1BeforeConnect();
        QVERIFY(dm.connectionString().contains(QLatin1String("User ID=rev;Initial Catalog=HRDB;Data Source=DBSRV;")));
        QVERIFY(dm.connectionString().contains(
            QStringLiteral("Workstation ID=Tallimar-V%1 PC07;").arg(TDataModule1::GetAppVersionStr())));
        QCOMPARE(p.engine, Engine::SQLServer);
        QCOMPARE(p.host, QStringLiteral("DBSRV"));
        QCOMPARE(p.workstationId, QStringLiteral("Tallimar-V%1 PC07").arg(TDataModule1::GetAppVersionStr()));
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Lavender Classico"));
        write(ini, "[Database]\nUserName=rev2\nCatalog=HRDB\nSource=OTHER\n[ChoosenStyle]\nStyle=Night\n");
        p = dm.ADOConnection1BeforeConnect();
        QVERIFY(dm.connectionString().contains(QLatin1String("User ID=rev2;Initial Catalog=HRDB;Data Source=OTHER;")));
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Night"));
        qunsetenv("COMPUTERNAME");
        dm.ADOConnection1BeforeConnect();
        QVERIFY(dm.connectionString().contains(
            QStringLiteral("Workstation ID=Tallimar-V%1 ;").arg(TDataModule1::GetAppVersionStr())));
    }

    void engineAndPasswordKeys_data()
    {
        QTest::addColumn<QByteArray>("database");
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("password");
        QTest::newRow("default engine is SQL Server with the compiled password")
            << QByteArray("Source=DBSRV\\SQL2019") << int(Engine::SQLServer) << "DBSRV\\SQL2019" << 0 << "Quorb8361";
        QTest::newRow("PostgreSQL host:port and a password override")
            << QByteArray("Engine=postgresql\nSource=10.0.0.5:6543\nPassword=s3cret") << int(Engine::PostgreSQL)
            << "10.0.0.5" << 6543 << "s3cret";
        QTest::newRow("PostgreSQL host,port") << QByteArray("Engine=PostgreSQL\nSource=db.local,5433")
                                              << int(Engine::PostgreSQL) << "db.local" << 5433 << "Quorb8361";
    }
    void engineAndPasswordKeys()
    {
        QFETCH(QByteArray, database);
        QFETCH(int, engine);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, password);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        write(ini, "[Database]\n" + database + "\n");
        TDataModule1 dm(ini);
        const ConnectionParams p = dm.ADOConnection1BeforeConnect();
        QCOMPARE(int(p.engine), engine);
        QCOMPARE(p.host, host);
        QCOMPARE(p.port, port);
        QCOMPARE(p.password, password);
        QVERIFY(dm.connectionString().contains(QStringLiteral(";Password=%1;").arg(password)));
    }

    void sqliteCatalogIsBesideTheIni()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        write(ini, "[Database]\nEngine=SQLite\nCatalog=demo.db\n");
        TDataModule1 dm(ini);
        QCOMPARE(dm.ADOConnection1BeforeConnect().database, dir.filePath(QStringLiteral("demo.db")));
    }

    void odbcValuesAreQuoted()
    {
        ConnectionParams p;
        p.odbcDriver = QStringLiteral("FreeTDS");
        p.host = QStringLiteral("DB;SRV");
        p.database = QStringLiteral("HR}DB");
        p.user = QStringLiteral("rev");
        p.password = QStringLiteral("pa;ss=word");
        p.workstationId = QStringLiteral("Tallimar-V1.0.0.1 PC07");
        QCOMPARE(odbcConnectionString(p),
                 QStringLiteral("DRIVER={FreeTDS};SERVER={DB;SRV};DATABASE={HR}}DB};UID={rev};PWD={pa;ss=word};"
                                "APP={Tallimar-V1.0.0.1 PC07};WSID={Tallimar-V1.0.0.1 PC07};"));
    }

    void badConfigurationGivesOneClearMessage_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("writeFile");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown engine") << QByteArray("[Database]\nEngine=Oracle\n") << true
                                        << "Unknown database engine 'Oracle'";
        QTest::newRow("missing file") << QByteArray() << false << "Configuration file not found";
        QTest::newRow("SQLite file that does not exist")
            << QByteArray("[Database]\nEngine=SQLite\nCatalog=nothere.db\n") << true << "Database file not found";
        QTest::newRow("SQLite without a catalog")
            << QByteArray("[Database]\nEngine=SQLite\n") << true << "No database file is configured";
    }
    void badConfigurationGivesOneClearMessage()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, writeFile);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        if (writeFile)
            write(ini, content);
        TDataModule1 dm(ini);
        try {
            dm.DataModuleCreate();
            QFAIL("connected with a bad configuration");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
        QVERIFY(!dm.ADOConnection1.isOpen());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("nothere.db"))));
    }

    void missingStyleSectionIsAppendedAndNothingElseChanges_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("LF file")
            << QByteArray("; HR suite\n[Database]\nUserName = rev \nCatalog=HRDB\n\n[Photo]\nPhotoShow=1\n")
            << QByteArray("; HR suite\n[Database]\nUserName = rev \nCatalog=HRDB\n\n[Photo]\nPhotoShow=1\n"
                          "[ChoosenStyle]\nStyle=Lavender Classico\n");
        QTest::newRow("CRLF file without a last line end")
            << QByteArray("[Database]\r\nSource=DBSRV")
            << QByteArray("[Database]\r\nSource=DBSRV\r\n[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
        QTest::newRow("section present without the key is not written")
            << QByteArray("[Database]\nSource=DBSRV\n[choosenstyle]\nOther=1\n")
            << QByteArray("[Database]\nSource=DBSRV\n[choosenstyle]\nOther=1\n");
        QTest::newRow("no file at all") << QByteArray() << QByteArray("[ChoosenStyle]\nStyle=Lavender Classico\n");
    }
    void missingStyleSectionIsAppendedAndNothingElseChanges()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        if (!before.isEmpty())
            write(ini, before);
        TDataModule1 dm(ini);
        try {
            dm.ADOConnection1BeforeConnect();
        } catch (const DbError &) {
            // A file without [Database] cannot connect; the style is written all the same.
        }
        QCOMPARE(readAll(ini), after);
        QCOMPARE(dm.ChoosenStyle, QStringLiteral("Lavender Classico"));
    }

    // The style section is appended in the file's own encoding, so that it reads back and a second
    // start finds it: the file stays as the first start left it. A file whose encoding cannot be
    // told is not touched at all.
    void styleSectionInTheFilesEncoding_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("afterFirstStart");
        const QString text = QStringLiteral("[Database]\r\nEngine=SQLite\r\nCatalog=caf\u00e9.db\r\n");
        const QString added = QStringLiteral("[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
        const auto le = [](const QString &t) { return QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(t)); };
        const auto be = [](const QString &t) { return QByteArray(QStringEncoder(QStringEncoder::Utf16BE).encode(t)); };
        QTest::newRow("UTF-16 LE with its mark, as Notepad saves Unicode")
            << QByteArray("\xFF\xFE") + le(text) << QByteArray("\xFF\xFE") + le(text) + le(added);
        QTest::newRow("UTF-16 BE with its mark")
            << QByteArray("\xFE\xFF") + be(text) << QByteArray("\xFE\xFF") + be(text) + be(added);
        QTest::newRow("UTF-16 LE without a last line end")
            << QByteArray("\xFF\xFE") + le(text.chopped(2))
            << QByteArray("\xFF\xFE") + le(text.chopped(2)) + le(QStringLiteral("\r\n") + added);
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8()
                                             << QByteArray("\xEF\xBB\xBF") + text.toUtf8() + added.toUtf8();
        QTest::newRow("plain UTF-8") << text.toUtf8() << text.toUtf8() + added.toUtf8();
        QTest::newRow("UTF-16 without its mark is left untouched") << le(text) << le(text);
    }
    void styleSectionInTheFilesEncoding()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, afterFirstStart);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Workers.ini"));
        write(ini, before);
        for (int start = 1; start <= 2; ++start) {
            TDataModule1 dm(ini);
            try {
                dm.ADOConnection1BeforeConnect();
            } catch (const DbError &) {
                // Only the file matters here.
            }
            QCOMPARE(dm.ChoosenStyle, QStringLiteral("Lavender Classico"));
            QCOMPARE(readAll(ini), afterFirstStart);
        }
        const WorkersIni reader(ini);
        if (afterFirstStart != before) {
            QVERIFY(reader.sectionExists(QStringLiteral("ChoosenStyle")));
            QCOMPARE(reader.readString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style")),
                     QStringLiteral("Lavender Classico"));
            QCOMPARE(reader.readString(QStringLiteral("Database"), QStringLiteral("Catalog")),
                     QStringLiteral("caf\u00e9.db"));
        }
    }

    void unwritableFileGivesUnableToWrite()
    {
        QTemporaryDir dir;
        // Tests run as root, so make the folder impossible instead: it is a regular file.
        const QString blocker = dir.filePath(QStringLiteral("blocker"));
        write(blocker, "x");
        const QString ini = blocker + QStringLiteral("/Workers.ini");
        TDataModule1 dm(ini);
        const QString expected = QStringLiteral("Unable to write to %1").arg(ini);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                dm.DataModuleCreate();
                QFAIL("connected without writing the style");
            } catch (const DbError &e) {
                QCOMPARE(e.message(), expected);
            }
        }
    }

    void iniReading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names without regard to case")
            << QByteArray("[PHOTO]\nphotopath=\\\\srv\\Backups\\All_Photos\\\n") << "Photo"
            << "PhotoPath"
            << "\\\\srv\\Backups\\All_Photos\\";
        QTest::newRow("same key in another section is not read")
            << QByteArray("[Other]\nStyle=Wrong\n[ChoosenStyle]\n") << "ChoosenStyle"
            << "Style"
            << "";
        QTest::newRow("comment lines are skipped") << QByteArray("[A]\n;K=1\nK=2\n") << "A"
                                                   << "K"
                                                   << "2";
        QTest::newRow("quotes around a value are removed") << QByteArray("[A]\nK=\"x y\"\n") << "A"
                                                           << "K"
                                                           << "x y";
        QTest::newRow("long values are cut at 2047") << QByteArray("[A]\nK=" + QByteArray(3000, 'v') + "\n") << "A"
                                                     << "K" << QString(2047, QLatin1Char('v'));
    }
    void iniReading()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        write(path, content);
        QCOMPARE(WorkersIni(path).readString(section, key), expected);
    }

    void photoShowFlag()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        write(path, "[Photo]\nPhotoShow=yes\n");
        QCOMPARE(WorkersIni(path).readInteger(QStringLiteral("Photo"), QStringLiteral("PhotoShow"), 0), 0);
        write(path, "[Photo]\nPhotoShow=2\n");
        QCOMPARE(WorkersIni(path).readInteger(QStringLiteral("Photo"), QStringLiteral("PhotoShow"), 0), 2);
        QCOMPARE(WorkersIni(dir.filePath(QStringLiteral("none.ini")))
                     .readInteger(QStringLiteral("Photo"), QStringLiteral("PhotoShow"), 0),
                 0);
    }

    // The photo settings the data module keeps for the run.
    void photoSettings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("show");
        QTest::addColumn<QString>("path");
        QTest::newRow("set") << QByteArray("[photo]\nPHOTOSHOW=1\nPhotoPath=\\\\srv\\Backups\\All_Photos\\\n") << true
                             << "\\\\srv\\Backups\\All_Photos\\";
        QTest::newRow("text that is not a number is off")
            << QByteArray("[Photo]\nPhotoShow=yes\n") << false << TDataModule1::DefaultPhotoPath;
        QTest::newRow("missing section") << QByteArray("[Database]\n") << false << TDataModule1::DefaultPhotoPath;
    }
    void photoSettings()
    {
        QFETCH(QByteArray, ini);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        write(path, ini);
        TDataModule1 dm(path);
        QTEST(dm.PhotoShow, "show");
        QTEST(dm.PhotoPath, "path");
        QVERIFY(dm.PhotoPath.endsWith(QLatin1String("Backups\\All_Photos\\")));
    }
    // Files a text editor, another program or a damaged disk may leave: each value reads as the
    // reader's rules say, or the default, and nothing crashes.
    void hostileIniFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray db("[Database]\nEngine=SQLite\nCatalog=hr.db\n");
        const QString utf16 = QStringLiteral("[Database]\r\nCatalog=hr.db\r\n");
        QTest::newRow("UTF-8 byte-order mark before the first section") << QByteArray("\xEF\xBB\xBF") + db << "Catalog"
                                                                        << "hr.db";
        QTest::newRow("UTF-16 little-endian, as Notepad saves Unicode")
            << QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2)
            << "Catalog"
            << "hr.db";
        QTest::newRow("CR LF, lone LF and lone CR mixed")
            << QByteArray("[Database]\r\nEngine=SQLite\rUserName=rev\nCatalog=hr.db\r\n") << "Catalog"
            << "hr.db";
        QTest::newRow("a section named twice reads as one")
            << QByteArray("[Database]\nEngine=SQLite\n[Photo]\nPhotoShow=1\n[DATABASE]\nCatalog=second.db\n")
            << "Catalog"
            << "second.db";
        QTest::newRow("of a key given twice the first counts")
            << QByteArray("[Database]\nCatalog=first.db\nCATALOG=second.db\n") << "Catalog"
            << "first.db";
        QTest::newRow("binary garbage around the section")
            << QByteArray("\x00\x01\xFF\xFE\x80[\x00]\n", 9) + db + QByteArray("\xC3\x28\x00\xFF garbage\n", 13)
            << "Catalog"
            << "hr.db";
        QTest::newRow("an embedded NUL stays in the value")
            << QByteArray("[Database]\nCatalog=hr\x00.db\n", 26) << "Catalog"
            << QStringLiteral("hr") + QChar(0) + QStringLiteral(".db");
        QTest::newRow("a 1 MB line is cut at 2047")
            << QByteArray("[Database]\nCatalog=") + QByteArray(1 << 20, 'c') + "\nEngine=SQLite\n"
            << "Catalog" << QString(2047, QLatin1Char('c'));
        QTest::newRow("a 1 MB line does not hide the next key")
            << QByteArray("[Database]\nJunk=") + QByteArray(1 << 20, 'j') + "\nCatalog=hr.db\n"
            << "Catalog"
            << "hr.db";
        QTest::newRow("an unclosed section header is no section")
            << QByteArray("[Database\nCatalog=hr.db\n") << "Catalog"
            << "";
        QTest::newRow("no [Database] section") << QByteArray("[Photo]\nCatalog=hr.db\n") << "Catalog"
                                               << "";
    }
    void hostileIniFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Workers.ini"));
        write(path, content);
        QCOMPARE(WorkersIni(path).readString(QStringLiteral("Database"), key), expected);
        QCOMPARE(WorkersIni(path).sectionExists(QStringLiteral("Database")), !expected.isEmpty());
        // Set-up either yields the settings or one message saying what is wrong.
        TDataModule1 dm(path);
        try {
            const ConnectionParams p = dm.ADOConnection1BeforeConnect();
            QVERIFY2(!expected.isEmpty() && p.database.endsWith(expected), qPrintable(p.database.right(80)));
        } catch (const DbError &e) {
            QVERIFY(!e.message().isEmpty());
            if (expected.isEmpty())
                QVERIFY2(e.message().startsWith(QStringLiteral("No [Database] section in ")), qPrintable(e.message()));
        }
    }

    // The saved fuzzing corpus: every file goes through the reader and the set-up, giving the
    // settings or one message.
    void iniCorpusReplays()
    {
        const QDir corpus(QStringLiteral(TALLIMAR_TESTS_DIR "/fuzz/ini-corpus"));
        const QStringList files = corpus.entryList(QDir::Files);
        QVERIFY2(!files.isEmpty(), qPrintable(corpus.path()));
        for (const QString &name : files) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("Workers.ini"));
            QVERIFY(QFile::copy(corpus.filePath(name), path));
            for (const char *key : {"Engine", "Catalog", "Source", "UserName", "Password", "OdbcDriver"})
                QVERIFY(WorkersIni(path).readString(QStringLiteral("Database"), QLatin1String(key)).size() <=
                        WorkersIni::MaxValueLength);
            TDataModule1 dm(path);
            try {
                dm.ADOConnection1BeforeConnect();
            } catch (const DbError &e) {
                QVERIFY2(!e.message().isEmpty(), qPrintable(name));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
