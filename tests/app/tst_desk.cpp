// The desk opens on a clinic database, lists its case-record patients, and calls an export with
// the context a person filled in.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "db/Query.h"
#include "tests/support/TestDb.h"
#include "tools/desk/DeskWindow.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

class TestDesk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void opensAndCallsAnExport()
    {
        auto c = testdb::open(QStringLiteral("sqlite"));
        db::execute(*c, QStringLiteral("INSERT INTO 病历卡表 (病历号, 病人编号, 病人姓名) VALUES (?, ?, ?)"),
                    {1001, QStringLiteral("P1001"), QStringLiteral("张三")});
        db::execute(*c, QStringLiteral("INSERT INTO 主治医生表 (医生姓名, 医生编号, 科室) VALUES (?, ?, ?)"),
                    {QStringLiteral("王医生"), QStringLiteral("D07"), QStringLiteral("修复科")});
        DeskWindow desk(QStringLiteral("sqlite:") + c->database().databaseName());
        desk.show();

        auto named = [&](auto* kind, const QString& name) {
            using W = std::remove_pointer_t<decltype(kind)>;
            for (W* w : desk.findChildren<W*>())
                if (w->accessibleName() == name) return w; // named by its label, like the dialogs' controls
            return static_cast<W*>(nullptr);
        };
        auto* patients = named(static_cast<QComboBox*>(nullptr), QStringLiteral("病人"));
        QVERIFY(patients);
        QCOMPARE(patients->count(), 2); // the walk-in and 张三
        patients->setCurrentIndex(1);
        auto* doctor = named(static_cast<QComboBox*>(nullptr), QStringLiteral("医生"));
        QVERIFY(doctor);
        doctor->setCurrentIndex(doctor->findText(QStringLiteral("王医生")));
        Q_EMIT doctor->textActivated(doctor->currentText()); // as a person picking the doctor
        QCOMPARE(named(static_cast<QLineEdit*>(nullptr), QStringLiteral("科室"))->text(), QStringLiteral("修复科"));
        QCOMPARE(named(static_cast<QLineEdit*>(nullptr), QStringLiteral("编号"))->text(), QStringLiteral("D07"));

        QString seenPatient, seenDoctor;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (e->accessibleName() == QStringLiteral("姓名")) seenPatient = e->text();
            for (QComboBox* b : d.findChildren<QComboBox*>())
                if (b->accessibleName() == QStringLiteral("医生")) seenDoctor = b->currentText();
        });
        ScriptRun run(steps(R"([{"dialog":"收费收据"},{"set":"挂号费","to":"10"},{"click":"提交"}])"));
        QPushButton* button = nullptr;
        for (QPushButton* b : desk.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("ReceiptSet")) button = b;
        QVERIFY(button);
        button->click();
        app::Dialog::setShownHook(nullptr);

        QCOMPARE(seenPatient, QStringLiteral("张三"));
        QCOMPARE(seenDoctor, QStringLiteral("王医生"));
        auto* results = desk.findChild<QPlainTextEdit*>();
        const qint64 stored = db::toInteger(db::scalar(*c, QStringLiteral("SELECT max(ID) FROM 收费收据表")));
        QVERIFY(stored > 0); // the receipt the dialog stored
        QCOMPARE(results->toPlainText(),
                 QStringLiteral(R"(ReceiptSet → {"result":0,"out":{"receipt_id":%1}})").arg(stored));
        // The new receipt goes on to the next call.
        QSpinBox* receipt = nullptr;
        for (QSpinBox* s : desk.findChildren<QSpinBox*>())
            if (s->accessibleName() == QStringLiteral("收据ID")) receipt = s;
        QVERIFY(receipt);
        QCOMPARE(receipt->value(), stored);
    }
};

QTEST_MAIN(TestDesk)
#include "tst_desk.moc"
