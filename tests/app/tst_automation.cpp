// Automation against a dialog with one control of each kind: what each step fires, how labels
// match, what the transcript holds, and the steps it refuses.
#include "ScriptRun.h"
#include "app/Automation.h"
#include "app/Dialog.h"
#include "app/LastError.h"
#include "app/PrintRedirect.h"
#include "db/Error.h"
#include "controls/StripedListCtrl.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

class SampleDialog : public app::Dialog {
public:
    QStringList log; // handler calls, in order
    QLineEdit* amount = new QLineEdit(this);
    QDoubleSpinBox* discount = new QDoubleSpinBox(this);
    QDateTimeEdit* date = new QDateTimeEdit(this);
    QCheckBox* print = new QCheckBox(QStringLiteral("打印(&P)"), this);
    QComboBox* doctor = new QComboBox(this);
    QListWidget* items = new QListWidget(this);
    QTreeWidget* tree = new QTreeWidget(this);
    CStripedListCtrl* lines = new CStripedListCtrl(this);
    QPushButton* submit = new QPushButton(QStringLiteral("提   交"), this);
    QPushButton* save = new QPushButton(QStringLiteral("保存"), this);
    QPushButton* askButton = new QPushButton(QStringLiteral("删除(&D)"), this);
    QPushButton* ok = new QPushButton(QStringLiteral("确定"), this);

    SampleDialog() : Dialog(9001, QStringLiteral("测试对话框"))
    {
        auto* form = new QFormLayout(this);
        auto* amountLabel = new QLabel(QStringLiteral("金额(&M):"), this);
        amountLabel->setBuddy(amount);
        form->addRow(amountLabel, amount);
        form->addRow(QStringLiteral("折扣"), discount);
        form->addRow(QStringLiteral("日期"), date);
        form->addRow(print);
        form->addRow(QStringLiteral("医生"), doctor);
        form->addRow(QStringLiteral("项目"), items);
        form->addRow(QStringLiteral("分类"), tree);
        form->addRow(QStringLiteral("明细"), lines);
        lines->insertColumn(0, QStringLiteral("编码"));
        lines->insertItem(0, QStringLiteral("A01"));
        lines->insertItem(1, QStringLiteral("A02"));
        for (QPushButton* b : {submit, save, askButton, ok}) form->addRow(b);
        submit->setEnabled(false);
        save->setVisible(false);
        ok->setDefault(true);
        discount->setRange(0, 10);
        discount->setDecimals(3);
        doctor->addItems({QStringLiteral("王医生"), QStringLiteral("李 医生")});
        items->addItems({QStringLiteral("挂号费"), QStringLiteral("检查费"), QStringLiteral("治疗费")});
        auto* top = new QTreeWidgetItem(tree, {QStringLiteral("西药")});
        new QTreeWidgetItem(top, {QStringLiteral("阿莫西林")});
        items->installEventFilter(this);
        connect(lines, &QTableWidget::cellClicked, this,
                [this](int row) { log << "line " + this->lines->itemText(row, 0); });

        connect(amount, &QLineEdit::textEdited, this, [this](const QString& t) { log << "amount edited " + t; });
        connect(amount, &QLineEdit::editingFinished, this, [this] { log << "amount finished " + amount->text(); });
        connect(discount, &QDoubleSpinBox::editingFinished, this,
                [this] { log << "discount finished " + QString::number(discount->value()); });
        connect(date, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& d) {
            log << "date " + d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        });
        connect(print, &QCheckBox::toggled, this, [this](bool on) { log << QStringLiteral("print %1").arg(on); });
        connect(doctor, &QComboBox::activated, this, [this](int i) { log << "doctor " + doctor->itemText(i); });
        connect(items, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { log << "item " + i->text(); });
        connect(tree, &QTreeWidget::itemDoubleClicked, this,
                [this](QTreeWidgetItem* i) { log << "tree double " + i->text(0); });
        connect(askButton, &QPushButton::clicked, this, [this] {
            log << QStringLiteral("answer %1").arg(ask(QStringLiteral("确定删除该项吗?")));
            inform(QStringLiteral("已删除"));
        });
        connect(ok, &QPushButton::clicked, this, &Dialog::accept);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == items && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F5)
            log << "F5 in items";
        return Dialog::eventFilter(o, e);
    }
};

struct Run {
    int ending;
    QStringList log;
    QString error;
};

Run drive(const QJsonArray& script, const QString& transcript = QString())
{
    QJsonObject root{{QStringLiteral("steps"), script}};
    if (!transcript.isEmpty()) root.insert(QStringLiteral("transcript"), transcript);
    auto automation = app::Automation::fromJson(QJsonDocument(root).toJson());
    SampleDialog dialog;
    int ending;
    {
        app::Automation::Scope scope(*automation);
        ending = dialog.runModal();
        automation->finish();
    }
    return {ending, dialog.log, automation->error()};
}

// Its database work fails: when it opens, and when "保存" is pressed.
class FailingDialog : public app::Dialog {
public:
    QPushButton* save = new QPushButton(QStringLiteral("保存"), this);
    FailingDialog() : Dialog(9002, QStringLiteral("失败"))
    {
        connect(save, &QPushButton::clicked, this, [] { throw db::Error(QStringLiteral("disk I/O error")); });
    }

protected:
    void initDialog() override { throw db::Error(QStringLiteral("no such table")); }
};

} // namespace

class TestAutomation : public QObject {
    Q_OBJECT
private slots:
    void stepsFireTheHandlersOfAPerson()
    {
        const Run r = drive(steps(R"([
            {"dialog": "测试对话框"},
            {"set": "金额", "to": "12.50"},
            {"set": "折扣", "to": "0.85"},
            {"set": "日期", "to": "2024-03-05 09:30:00"},
            {"set": "打印", "to": "1"},
            {"choose": "医生", "item": "李医生"},
            {"choose": "项目", "item": "检查费"},
            {"row": "项目", "index": 2},
            {"tree": "分类", "path": ["西药", "阿莫西林"], "double": true},
            {"row": "明细", "index": 1},
            {"key": "项目", "press": "F5"},
            {"click": "删除"},
            {"reply": "是"},
            {"key": "金额(&M):", "press": "Enter"}
        ])"));
        QCOMPARE(r.error, QString());
        QCOMPARE(r.ending, app::IDOK); // Enter in the edit pressed the default button
        const QStringList expected{"amount edited 12.50", "amount finished 12.50", "discount finished 0.85",
                                   "date 2024-03-05 09:30:00", "print 1", "doctor 李 医生", "item 检查费",
                                   "item 治疗费", "tree double 阿莫西林", "line A02", "F5 in items", "answer 1",
                                   "amount finished 12.50"};
        QCOMPARE(r.log, expected);
    }

    void refusals_data()
    {
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no such control") << steps(R"([{"click":"打印预览"}])")
                                         << R"(step 1 {"click":"打印预览"}: no control "打印预览" in "测试对话框")"
                                         << QStringList();
        QTest::newRow("disabled") << steps(R"([{"click":"提交"}])") << R"(step 1 {"click":"提交"}: control "提交" is disabled)"
                                  << QStringList();
        QTest::newRow("hidden") << steps(R"([{"click":"保存"}])") << R"(step 1 {"click":"保存"}: control "保存" is hidden)"
                                << QStringList();
        QTest::newRow("no such item")
            << steps(R"([{"choose":"医生","item":"赵医生"}])")
            << R"(step 1 {"choose":"医生","item":"赵医生"}: "医生" has no item "赵医生" (items: 王医生, 李 医生))"
            << QStringList();
        QTest::newRow("wrong dialog") << steps(R"([{"dialog":"收费收据"}])")
                                      << R"(step 1 {"dialog":"收费收据"}: the dialog on top is "测试对话框", not "收费收据")"
                                      << QStringList();
        QTest::newRow("question without reply")
            << steps(R"([{"click":"删除"},{"click":"确定"}])")
            << R"(step 2 {"click":"确定"}: a question is open ("确定删除该项吗?"); the next step must be a reply)"
            << QStringList{"answer 0"};
        QTest::newRow("reply that does not fit")
            << steps(R"([{"click":"删除"},{"reply":"确定"}])")
            << R"(step 2 {"reply":"确定"}: the question "确定删除该项吗?" is answered 是 or 否)" << QStringList{"answer 0"};
        QTest::newRow("reply with no question") << steps(R"([{"reply":"是"}])")
                                                << R"(step 1 {"reply":"是"}: no question is open)" << QStringList();
        QTest::newRow("not a number") << steps(R"([{"set":"折扣","to":"八五折"}])")
                                      << R"(step 1 {"set":"折扣","to":"八五折"}: control "折扣" takes a number, not "八五折")"
                                      << QStringList();
        QTest::newRow("out of range") << steps(R"([{"set":"折扣","to":"12"}])")
                                      << R"(step 1 {"set":"折扣","to":"12"}: control "折扣" does not take 12)"
                                      << QStringList{"discount finished 0"};
        QTest::newRow("steps never reached")
            << steps(R"([{"click":"确定"},{"click":"确定"}])")
            << R"(step 2 {"click":"确定"}: not reached: no dialog or question was open)" << QStringList();
        QTest::newRow("unknown step") << steps(R"([{"press":"确定"}])") << R"(step 1 {"press":"确定"}: unknown step)"
                                      << QStringList();
        // Slips that would otherwise be ignored while the script seems to pass.
        QTest::newRow("two things in one step")
            << steps(R"([{"dialog":"测试对话框","click":"不存在"}])")
            << R"(step 1 {"click":"不存在","dialog":"测试对话框"}: a step does one thing ("dialog" and "click"))"
            << QStringList();
        QTest::newRow("misspelt key") << steps(R"([{"tree":"目录","path":["A"],"doubel":true}])")
                                      << R"(step 1 {"doubel":true,"path":["A"],"tree":"目录"}: unknown key "doubel")"
                                      << QStringList();
        QTest::newRow("row index not whole") << steps(R"([{"row":"明细","index":1.5}])")
                                             << R"(step 1 {"index":1.5,"row":"明细"}: "row" needs a whole number "index")"
                                             << QStringList();
    }
    void refusals()
    {
        QFETCH(QJsonArray, script);
        QFETCH(QString, error);
        QFETCH(QStringList, log);
        const Run r = drive(script);
        QCOMPARE(r.error, error);
        QCOMPARE(r.log, log);
        if (!error.contains(QStringLiteral("not reached"))) QCOMPARE(r.ending, app::IDCANCEL);
    }

    // A transcript that cannot be written stops the script before it runs.
    void unwritableTranscript()
    {
        const auto a = app::Automation::fromJson(R"({"transcript":"/nonexistent/dir/t.jsonl","steps":[]})", "t.json");
        QVERIFY(a->failed());
        QVERIFY2(a->error().startsWith(QStringLiteral("script t.json: cannot write the transcript /nonexistent/dir/t.jsonl: ")),
                 qPrintable(a->error()));
    }

    // Errors escaping the dialog's code stop at its boundary: recorded, and the dialog goes on.
    void errorsStopAtTheDialogBoundary()
    {
        app::clearLastError();
        FailingDialog d;
        app::Dialog::setShownHook([](app::Dialog& dialog) {
            auto& f = static_cast<FailingDialog&>(dialog);
            QCOMPARE(QString::fromUtf8(app::lastErrorText()), QStringLiteral("no such table"));
            // A person presses 保存 (the error passes through the event loop), then 确定.
            QMetaObject::invokeMethod(f.save, &QPushButton::click, Qt::QueuedConnection);
            QMetaObject::invokeMethod(&f, [&f] { f.endDialog(app::IDOK); }, Qt::QueuedConnection);
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("exception thrown from an event handler")));
        const int ending = d.runModal();
        app::Dialog::setShownHook(nullptr);
        QCOMPARE(ending, app::IDOK);
        QCOMPARE(QString::fromUtf8(app::lastErrorText()), QStringLiteral("disk I/O error"));
    }

    void failingHandlerStopsTheScript()
    {
        auto automation = app::Automation::fromJson(R"({"steps":[{"click":"保存"},{"click":"确定"}]})");
        FailingDialog d;
        app::Automation::Scope scope(*automation);
        QCOMPARE(d.runModal(), app::IDCANCEL);
        QCOMPARE(automation->error(), QStringLiteral(R"(step 1 {"click":"保存"}: the dialog failed: disk I/O error)"));
    }

    // Print requests go to the script's PDF while it runs, and back to the printer after.
    void printToLastsAsLongAsTheScript()
    {
        auto automation = app::Automation::fromJson(R"({"print_to":"/tmp/out.pdf","steps":[]})");
        {
            app::Automation::Scope scope(*automation);
            QCOMPARE(app::printRedirectPath(), QStringLiteral("/tmp/out.pdf"));
        }
        QCOMPARE(app::printRedirectPath(), QString());
    }

    void transcriptRecordsDialogsAndMessages()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.jsonl"));
        drive(steps(R"([{"click":"删除"},{"reply":"否"}])"), path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList expected{
            R"({"dialog":"测试对话框","event":"open","resource":9001})",
            R"({"buttons":["是","否"],"event":"message","reply":"否","text":"确定删除该项吗?"})",
            R"({"buttons":["确定"],"event":"message","reply":"确定","text":"已删除"})",
            R"({"dialog":"测试对话框","ending":"IDCANCEL","event":"close"})",
        };
        QCOMPARE(lines, expected);
    }
};

QTEST_MAIN(TestAutomation)
#include "tst_automation.moc"
