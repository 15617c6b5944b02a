#include "controls/CatalogueSearchHelper.h"
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

void makeTypable(QComboBox* list)
{
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert); // Enter searches, it never adds to the list
    list->setCompleter(nullptr);                // what was typed is what is searched
}

} // namespace

CatalogueSearchHelper::CatalogueSearchHelper(db::ConnectionPtr connection, QComboBox* classList, QComboBox* itemList,
                                             QWidget* area, bool classSearch)
    : QObject(area), connection_(std::move(connection)), classList_(classList), itemList_(itemList),
      search_(classList != nullptr && classSearch)
{
    makeTypable(itemList_);
    connect(itemList_->lineEdit(), &QLineEdit::textEdited, this, [this] { search_.itemTextEdited(); });
    connect(itemList_, &QComboBox::activated, this, &CatalogueSearchHelper::itemPicked);
    if (classList_) {
        makeTypable(classList_);
        connect(classList_->lineEdit(), &QLineEdit::textEdited, this, [this] { search_.classTextEdited(); });
        connect(classList_, &QComboBox::activated, this, &CatalogueSearchHelper::classPicked);
    }
    watch(area);
}

void CatalogueSearchHelper::watch(QWidget* widget)
{
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
}

bool CatalogueSearchHelper::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        enter();
        return true;
    case Qt::Key_F1:
        search_.f1();
        itemList_->setFocus();
        return true;
    case Qt::Key_F5:
        Q_EMIT submitRequested();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void CatalogueSearchHelper::enter()
{
    const QString classText = classList_ ? classList_->currentText() : QString();
    const QString itemText = itemList_->currentText();
    receipt::CatalogueSearch::Outcome out;
    try {
        out = search_.enter(*connection_, classText, itemText);
    } catch (const db::Error&) {
        return; // a failed look-up changes nothing on screen
    }
    using Outcome = receipt::CatalogueSearch::Outcome;
    switch (out.kind) {
    case Outcome::ClassesFound:
        classList_->clear();
        classList_->addItems(out.classes);
        if (!out.classes.isEmpty()) classList_->setCurrentIndex(0);
        itemList_->clear();
        itemList_->addItems(out.items);
        itemList_->setFocus();
        break;
    case Outcome::ItemSearched:
        itemList_->clear();
        itemList_->addItems(out.items);
        itemList_->setEditText(out.item ? out.item->name : itemText);
        if (out.item) {
            if (classList_) classList_->setEditText(out.item->className);
            Q_EMIT itemLoaded(*out.item);
        }
        break;
    case Outcome::AddEntry:
        Q_EMIT addEntryRequested();
        itemList_->setFocus();
        break;
    case Outcome::Nothing:
        break;
    }
}

void CatalogueSearchHelper::classPicked(int index)
{
    if (index < 0) return;
    QStringList items;
    try {
        items = receipt::ItemsOfClass(*connection_, classList_->itemText(index));
    } catch (const db::Error&) {
    }
    itemList_->clear();
    itemList_->addItems(items);
}

void CatalogueSearchHelper::itemPicked(int index)
{
    if (index < 0) return;
    const QString className = classList_ ? classList_->currentText() : QString();
    try {
        if (const auto item = receipt::ItemDetails(*connection_, className, itemList_->itemText(index)))
            Q_EMIT itemLoaded(*item);
    } catch (const db::Error&) {
    }
}
