#pragma once
#include <QStringList>
#include <QTreeWidget>

// The result and item lists of the statistics dialogs: each line is one text whose columns are
// separated by "#", shown in columns that start at tab stops (pixels from the list's left
// edge), so that they line up under the captions a dialog places above the list. The lines
// come back whole (line()) or by column (columns()), as the printouts and exports read them.
class CDBListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDBListBox(QWidget* parent = nullptr);

    // Where column starts; columns without a stop follow the last one at the default width.
    void setTabStop(int column, int position);
    void addString(const QString& line);
    void setLines(const QStringList& lines);
    void resetContent();
    int count() const { return topLevelItemCount(); }
    QString line(int row) const;
    QStringList lines() const;
    QStringList columns(int row) const;
    // The chosen line, or -1.
    int currentRow() const;

Q_SIGNALS:
    // A line was chosen (clicked or moved to).
    void lineChosen(int row);

private:
    void applyTabStops();

    QList<int> stops_;
};
