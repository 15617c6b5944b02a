#include "settle/TenderedBox.h"
#include "common/Money.h"
#include "settle/Tendered.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

TenderedBox::TenderedBox(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const auto field = [&](const QString& label, const QString& name) {
        auto* l = new QLabel(label, this);
        auto* e = new QLineEdit(this);
        e->setAccessibleName(name);
        e->setProperty("amount", true);
        l->setBuddy(e);
        row->addWidget(l);
        row->addWidget(e);
        return e;
    };
    tendered_ = field(u"收  款"_s, u"收款"_s);
    change_ = field(u"找  零"_s, u"找零"_s);
    change_->setReadOnly(true);
    change_->setFocusPolicy(Qt::ClickFocus);
    row->addStretch(1);
    connect(tendered_, &QLineEdit::textChanged, this, &TenderedBox::showChange);
}

QString TenderedBox::text() const { return tendered_->text(); }

void TenderedBox::setCashDue(qint64 fen)
{
    cashDue_ = fen;
    // Nothing to hand over when a method pays it all or a refund pays out.
    tendered_->setEnabled(fen > 0);
    showChange();
}

void TenderedBox::showChange()
{
    const settle::TenderedCheck c = settle::checkTendered(tendered_->text(), cashDue_);
    change_->setText(c.change ? money::format2(money::fromFen(*c.change)) : QString());
}
