#pragma once
#include <QString>
#include <utility>

// The IC card reader behind the voucher cards. A card holds one short text,
// "A1CA<card number>A2CAA2MA<balance>A3MA"; the checkout reads and rewrites it.
//
// The reader is a small device interface. Out of the box the card is a file: its path is the
// environment variable CALVANE_IC_CARD, else the setting "ICCardFile". No path configured, or
// no file there, means no card in the reader. A clinic with a real reader installs its own
// device.
namespace db {

class ICCardDevice {
public:
    virtual ~ICCardDevice() = default;
    // The card's text; false when no card can be read.
    virtual bool read(QString& content) = 0;
    // Replaces the card's text; false when it could not be written.
    virtual bool write(const QString& content) = 0;
};

// A card kept in a file. Reading fails when the file is missing; writing never creates the
// file (no card in the reader) and replaces it whole, so a failed write leaves the old text.
class FileICCard : public ICCardDevice {
public:
    explicit FileICCard(QString path) : path_(std::move(path)) {}
    bool read(QString& content) override;
    bool write(const QString& content) override;
    const QString& path() const { return path_; }

private:
    QString path_;
};

// The configured file, or an empty path when none is set.
QString icCardFilePath();

// Installs a device for as long as the guard lives (nullptr: back to the configured file).
class ICCardScope {
public:
    explicit ICCardScope(ICCardDevice* device);
    ~ICCardScope();
    ICCardScope(const ICCardScope&) = delete;
    ICCardScope& operator=(const ICCardScope&) = delete;

private:
    ICCardDevice* previous_;
};

// The clinic library's calls. ReadICCard: 0 when a card was read into content (content is
// left as it was otherwise), non-zero when not. WriteICCard: 0 when written, 1 on failure.
int ReadICCard(QString& content);
int WriteICCard(const QString& content);

} // namespace db
