#include "tools/desk/DeskWindow.h"
#include "app/ControlNames.h"
#include "db/Query.h"
#include "tools/calvane/ExportTable.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct Patient {
    qint64 caseNumber = 0;
    QString number;
    QString name;
};

} // namespace

Q_DECLARE_METATYPE(Patient)

DeskWindow::DeskWindow(const QString& url, QWidget* parent) : QMainWindow(parent), url_(url)
{
    lookup_ = db::Connection::open(url);
    if (CalvaneConnect(url.toUtf8().constData(), &conn_) != 0)
        throw db::Error(QString::fromUtf8(CalvaneLastError()));

    setWindowTitle(QStringLiteral("Calvane 前台 — %1").arg(lookup_->displayUrl()));
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    setCentralWidget(central);

    auto* contextBox = new QGroupBox(QStringLiteral("就诊"), central);
    auto* form = new QFormLayout(contextBox);
    patient_ = new QComboBox(contextBox);
    form->addRow(QStringLiteral("病人"), patient_);
    auto line = [&](const QString& label, const QString& value) {
        auto* e = new QLineEdit(value, contextBox);
        form->addRow(label, e);
        return e;
    };
    doctor_ = line(QStringLiteral("医生"), QString());
    department_ = line(QStringLiteral("科室"), QString());
    doctorNumber_ = line(QStringLiteral("编号"), QString());
    nurse_ = line(QStringLiteral("护士"), QString());
    cashier_ = line(QStringLiteral("收款人"), QString());
    payer_ = line(QStringLiteral("付款单位(个人)"), QString());
    clinic_ = line(QStringLiteral("诊所"), QStringLiteral("口 腔 门 诊 部"));
    date_ = new QDateTimeEdit(QDateTime::currentDateTime(), contextBox);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    form->addRow(QStringLiteral("日期"), date_);
    auto number = [&](const QString& label) {
        auto* s = new QSpinBox(contextBox);
        s->setRange(0, 2147483647);
        form->addRow(label, s);
        return s;
    };
    receiptId_ = number(QStringLiteral("收据ID"));
    sheetId_ = number(QStringLiteral("单据ID"));
    state_ = number(QStringLiteral("结帐状态"));
    choice_ = number(QStringLiteral("统计类型"));
    amount_ = new QDoubleSpinBox(contextBox);
    amount_->setRange(0, 1e9);
    amount_->setDecimals(2);
    form->addRow(QStringLiteral("金额"), amount_);
    printSwitch_ = new QCheckBox(QStringLiteral("提示打印"), contextBox);
    printSwitch_->setChecked(true);
    dateLock_ = new QCheckBox(QStringLiteral("锁定日期"), contextBox);
    resettle_ = new QCheckBox(QStringLiteral("重新结帐"), contextBox);
    form->addRow(printSwitch_);
    form->addRow(dateLock_);
    form->addRow(resettle_);
    layout->addWidget(contextBox);

    auto* right = new QVBoxLayout;
    auto* buttonsBox = new QGroupBox(QStringLiteral("对话框"), central);
    auto* grid = new QGridLayout(buttonsBox);
    int i = 0;
    for (const calltable::Export& e : calltable::exports()) {
        if (!e.dialog) continue;
        auto* b = new QPushButton(e.name, buttonsBox);
        const QString name = e.name;
        connect(b, &QPushButton::clicked, this, [this, name] { callExport(name); });
        grid->addWidget(b, i / 3, i % 3);
        ++i;
    }
    right->addWidget(buttonsBox);
    right->addWidget(new QLabel(QStringLiteral("结果"), central));
    results_ = new QPlainTextEdit(central);
    results_->setReadOnly(true);
    results_->setAccessibleName(QStringLiteral("结果"));
    right->addWidget(results_, 1);
    layout->addLayout(right, 1);

    app::nameControlsByLabels(this);
    reloadPatients();
}

DeskWindow::~DeskWindow() { CalvaneDisconnect(conn_); }

void DeskWindow::reloadPatients()
{
    patient_->clear();
    patient_->addItem(QStringLiteral("散客（无病历）"), QVariant::fromValue(Patient{}));
    db::Query q(*lookup_, QStringLiteral("SELECT 病历号, 病人编号, 病人姓名 FROM 病历卡表 ORDER BY 病历号"));
    q.exec();
    while (q.next()) {
        const Patient p{q.integer(QStringLiteral("病历号")), q.text(QStringLiteral("病人编号")),
                        q.text(QStringLiteral("病人姓名"))};
        patient_->addItem(QStringLiteral("%1  %2  (%3)").arg(p.caseNumber).arg(p.name, p.number), QVariant::fromValue(p));
    }
}

QMap<QString, QString> DeskWindow::context() const
{
    const Patient p = patient_->currentData().value<Patient>();
    const QString date = date_->dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString receipt = QString::number(receiptId_->value());
    return {
        {QStringLiteral("case_number"), QString::number(p.caseNumber)},
        {QStringLiteral("case_number_text"), p.caseNumber ? QString::number(p.caseNumber) : QString()},
        {QStringLiteral("patient"), p.name},
        {QStringLiteral("patient_number"), p.number},
        {QStringLiteral("doctor"), doctor_->text()},
        {QStringLiteral("department"), department_->text()},
        {QStringLiteral("doctor_number"), doctorNumber_->text()},
        {QStringLiteral("nurse"), nurse_->text()},
        {QStringLiteral("cashier"), cashier_->text()},
        {QStringLiteral("operator_name"), cashier_->text()},
        {QStringLiteral("payer"), payer_->text()},
        {QStringLiteral("paying_unit"), payer_->text()},
        {QStringLiteral("clinic"), clinic_->text()},
        {QStringLiteral("date"), date},
        {QStringLiteral("unused_date"), date},
        {QStringLiteral("receipt_id"), receipt},
        {QStringLiteral("receipt_no"), receipt},
        {QStringLiteral("sheet_id"), QString::number(sheetId_->value())},
        {QStringLiteral("state"), QString::number(state_->value())},
        {QStringLiteral("report_type"), QString::number(choice_->value())},
        {QStringLiteral("kind"), QString::number(choice_->value())},
        {QStringLiteral("amount"), QString::number(amount_->value(), 'f', 2)},
        {QStringLiteral("print_switch"), printSwitch_->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("date_lock"), dateLock_->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("resettle"), resettle_->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
    };
}

void DeskWindow::takeBack(const calltable::Args& args)
{
    for (const calltable::Param& p : args.exportInfo().params) {
        if (!calltable::isOut(p.kind)) continue;
        const int v = args.text(p.name).toInt();
        if (p.name == QLatin1String("receipt_id")) receiptId_->setValue(v);
        else if (p.name == QLatin1String("stored_id")) sheetId_->setValue(v);
        else if (p.name == QLatin1String("state")) state_->setValue(v);
    }
}

QString DeskWindow::callExport(const QString& name)
{
    const calltable::Export* e = calltable::find(name);
    if (!e) return QString();
    calltable::Args args(*e);
    const auto values = context();
    QString ignored;
    for (const calltable::Param& p : e->params)
        if (values.contains(p.name)) args.set(p.name, values.value(p.name), &ignored);
    args.setConnection(conn_);
    const int32_t result = args.call();
    QString line = name + QStringLiteral(" → ") + QString::fromUtf8(args.resultJson(result));
    const QString failure = QString::fromUtf8(CalvaneLastError());
    if (!failure.isEmpty()) line += QStringLiteral("   (%1)").arg(failure);
    takeBack(args);
    results_->appendPlainText(line);
    return line;
}
