// The desk opens on a clinic database, lists its case-record patients, and calls an export with
// the context a person filled in.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "app/PlaceholderDialog.h"
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
        DeskWindow desk(QStringLiteral("sqlite:") + c->database().databaseName());
        desk.show();

        auto* patients = desk.findChild<QComboBox*>();
        QCOMPARE(patients->count(), 2); // the walk-in and 张三
        patients->setCurrentIndex(1);
        QLineEdit* doctor = nullptr;
        for (QLineEdit* e : desk.findChildren<QLineEdit*>())
            if (e->accessibleName() == QStringLiteral("医生")) doctor = e;
        QVERIFY(doctor); // named by its label, like the dialogs' controls
        doctor->setText(QStringLiteral("王医生"));

        QString seenPatient, seenDoctor;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            auto& p = static_cast<app::PlaceholderDialog&>(d);
            seenPatient = p.field(QStringLiteral("姓名")).toString();
            seenDoctor = p.field(QStringLiteral("医生")).toString();
            p.setField(QStringLiteral("收据ID"), 42); // the receipt the dialog stored
        });
        ScriptRun run(steps(R"([{"dialog":"收费收据"},{"click":"确定"}])"));
        QPushButton* button = nullptr;
        for (QPushButton* b : desk.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("ReceiptSet")) button = b;
        QVERIFY(button);
        button->click();
        app::Dialog::setShownHook(nullptr);

        QCOMPARE(seenPatient, QStringLiteral("张三"));
        QCOMPARE(seenDoctor, QStringLiteral("王医生"));
        auto* results = desk.findChild<QPlainTextEdit*>();
        QCOMPARE(results->toPlainText(), QStringLiteral(R"(ReceiptSet → {"result":0,"out":{"receipt_id":42}})"));
        // The new receipt goes on to the next call.
        QSpinBox* receipt = nullptr;
        for (QSpinBox* s : desk.findChildren<QSpinBox*>())
            if (s->accessibleName() == QStringLiteral("收据ID")) receipt = s;
        QVERIFY(receipt);
        QCOMPARE(receipt->value(), 42);
    }
};

QTEST_MAIN(TestDesk)
#include "tst_desk.moc"
