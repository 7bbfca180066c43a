#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class QMimeData;
class QWidget;

namespace parcelo {

class CShipmentListView;
class CStoreFileCommands;

// What is dropped on the shipment list or pasted into it with Ctrl+V becomes
// shipments the user reviews first: text, the text of a text file and the barcodes of
// an image (a photographed label, a screenshot of an order page) open 여러 건 추가
// with the numbers found; a CSV or JSON file is imported as 가져오기 imports it.
// Everything read is bounded: an image over ImageBarcodes' limits is refused with a
// message box, and of a text file only what the number finder reads is read.
class CListInput : public QObject {
    Q_OBJECT
public:
    // Of a text file, this many bytes at most: more than the number finder reads.
    static constexpr qint64 kMaxTextBytes = qint64{8} << 20;

    // What a drop or the clipboard held, copied out of it.
    struct Input {
        QList<QUrl> urls;
        QImage image;
        QString text;
        bool IsEmpty() const { return urls.isEmpty() && image.isNull() && text.isEmpty(); }
    };

    // Everything given outlives this object.
    CListInput(CShipmentListView& view, CStoreFileCommands& files, QWidget* parent);

    // Takes drops on the list from now on.
    void Attach();
    // Takes what the clipboard holds; says so when it holds nothing to add.
    void Paste();
    // Local files first, then an image, then text.
    static Input Extract(const QMimeData& data);
    void Take(const Input& input);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TakeFiles(const QList<QUrl>& urls);
    void Tell(const QString& text) const;

    CShipmentListView& m_view;
    CStoreFileCommands& m_files;
    QWidget* m_parent;
};

} // namespace parcelo
