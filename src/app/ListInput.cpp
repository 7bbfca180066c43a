#include "app/ListInput.h"

#include "app/ImageBarcodes.h"
#include "app/StoreFileCommands.h"
#include "couriers/NumberPasteParser.h"
#include "listui/HTMLListCtrl.h"
#include "listui/ShipmentListView.h"
#include "platform/qt/QtText.h"
#include "transfer/ImportText.h"
#include "transfer/ShipmentTransfer.h"
#include "ui/MessageBoxService.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QMimeDatabase>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace parcelo {

namespace {

constexpr qsizetype kMaxText = static_cast<qsizetype>(NumberPasteParser::kMaxInputLength);

QString NoBarcodeHint() {
    return QCoreApplication::translate(
        "ListInput", "바코드가 잘 보이는 사진이나 화면을 쓰거나, 송장번호를 여러 건 추가에 직접 붙여 넣으십시오.");
}

// Text beyond what the number finder reads is left out.
void Append(QString& text, const QString& more) {
    if (text.size() < kMaxText) {
        text += more.left(kMaxText - text.size());
        if (!text.endsWith(u'\n')) {
            text += u'\n';
        }
    }
}

// The first kMaxTextBytes of a text file, decoded as an import file is; std::nullopt
// when it cannot be read.
std::optional<QString> ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(CListInput::kMaxTextBytes);
    if (bytes.isEmpty() && file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    const std::optional<std::u16string> text =
        DecodeImportText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return text ? std::optional<QString>(ToQString(*text)) : std::optional<QString>(QString::fromUtf8(bytes));
}

} // namespace

CListInput::CListInput(CShipmentListView& view, CStoreFileCommands& files, QWidget* parent)
    : QObject(parent), m_view(view), m_files(files), m_parent(parent) {}

void CListInput::Attach() {
    QWidget* viewport = m_view.List().viewport();
    viewport->setAcceptDrops(true);
    viewport->installEventFilter(this);
}

CListInput::Input CListInput::Extract(const QMimeData& data) {
    Input input;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (url.isLocalFile()) {
                input.urls << url;
            }
        }
        if (!input.urls.isEmpty()) {
            return input;
        }
    }
    if (data.hasImage()) {
        input.image = qvariant_cast<QImage>(data.imageData());
        if (!input.image.isNull()) {
            return input;
        }
    }
    if (data.hasText()) {
        input.text = data.text().left(kMaxText);
    }
    return input;
}

bool CListInput::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const QMimeData* data = drag->mimeData();
        if (data != nullptr && (data->hasUrls() || data->hasImage() || data->hasText())) {
            drag->acceptProposedAction();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData() == nullptr) {
            return true;
        }
        drop->acceptProposedAction();
        // The dialogs open once the drop has ended: the program the drag came from
        // is not kept waiting while the user reviews.
        QTimer::singleShot(0, this, [this, input = Extract(*drop->mimeData())] { Take(input); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void CListInput::Paste() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const Input input = data != nullptr ? Extract(*data) : Input();
    if (input.IsEmpty() || (input.urls.isEmpty() && input.image.isNull() && input.text.trimmed().isEmpty())) {
        Tell(QCoreApplication::translate(
            "ListInput", "붙여 넣을 것이 없습니다.\n송장번호가 들어 있는 글이나 이미지, 파일을 복사한 뒤 다시 "
                         "붙여 넣으십시오."));
        return;
    }
    Take(input);
}

void CListInput::Take(const Input& input) {
    if (!input.urls.isEmpty()) {
        TakeFiles(input.urls);
        return;
    }
    if (!input.image.isNull()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const ImageBarcodes::Result read = ImageBarcodes::ReadImage(input.image);
        QGuiApplication::restoreOverrideCursor();
        if (read.status != ImageBarcodes::Status::Read) {
            Tell(ImageBarcodes::Describe(read, QCoreApplication::translate("ListInput", "붙여 넣은 이미지")));
        } else if (read.texts.isEmpty()) {
            Tell(QCoreApplication::translate("ListInput", "이미지에서 바코드를 찾지 못했습니다.\n") + NoBarcodeHint());
        } else {
            m_view.BulkAdd(ImageBarcodes::AsText(read.texts));
        }
        return;
    }
    if (!input.text.isEmpty()) {
        m_view.BulkAdd(input.text.left(kMaxText));
    }
}

// CSV and JSON files are imported one after another; the text of the others goes to
// one 여러 건 추가. What could not be read is told first, in one message.
void CListInput::TakeFiles(const QList<QUrl>& urls) {
    QStringList imports;
    QStringList problems;
    QString text;
    bool noBarcode = false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (!info.isFile()) {
            problems << QCoreApplication::translate("ListInput", "파일이 아니어서 추가할 수 없습니다: %1").arg(path);
        } else if (ShipmentTransfer::FormatOf(LocalPath(path))) {
            imports << path;
        } else if (ImageBarcodes::IsImageFile(path)) {
            const ImageBarcodes::Result read = ImageBarcodes::ReadFile(path);
            if (read.status != ImageBarcodes::Status::Read) {
                problems << ImageBarcodes::Describe(read, path);
            } else if (read.texts.isEmpty()) {
                problems
                    << QCoreApplication::translate("ListInput", "이미지에서 바코드를 찾지 못했습니다: %1").arg(path);
                noBarcode = true;
            } else {
                Append(text, ImageBarcodes::AsText(read.texts));
            }
        } else if (QMimeDatabase().mimeTypeForFile(info).inherits(QStringLiteral("text/plain"))) {
            const std::optional<QString> read = ReadTextFile(path);
            if (read) {
                Append(text, *read);
            } else {
                problems << QCoreApplication::translate("ListInput", "파일을 열 수 없습니다: %1").arg(path);
            }
        } else {
            problems << QCoreApplication::translate("ListInput",
                                                    "글, CSV나 JSON 파일, 이미지가 아니어서 추가할 수 없습니다: %1")
                            .arg(path);
        }
    }
    QGuiApplication::restoreOverrideCursor();
    if (!problems.isEmpty()) {
        Tell(problems.join(QStringLiteral("\n\n")) +
             (noBarcode ? QStringLiteral("\n\n") + NoBarcodeHint() : QString()));
    }
    for (const QString& file : imports) {
        m_files.ImportFile(file);
    }
    if (!text.isEmpty()) {
        m_view.BulkAdd(text);
    }
}

void CListInput::Tell(const QString& text) const {
    ShowMessage(m_parent, text, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace parcelo
