#include "Look/FileChooser.h"

#include "Core/FileUtils.h"
#include "Core/Formatters.h"
#include "Look/TextLabel.h"
#include "Look/Theme.h"
#include "Platform/SystemRoot.h"

#include <algorithm>
#include <functional>
#include <optional>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Enter on a folder goes into it, as a double-click does; the dialog's default button would take it otherwise.
class EntryList final : public QTreeView
{
public:
    using QTreeView::QTreeView;
    std::function<void(const QModelIndex&)> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter &&
            selectionModel()->selectedRows().size() == 1) {
            onEnter(selectionModel()->selectedRows().first());
            return;
        }
        QTreeView::keyPressEvent(event);
    }
};

// The file system's entries with French column titles, sizes and dates: the model's own are written for the
// system locale, in English here.
class EntryModel final : public QFileSystemModel
{
public:
    using QFileSystemModel::QFileSystemModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
            switch (section) {
            case nameColumn:
                return u"Nom"_s;
            case sizeColumn:
                return u"Taille"_s;
            case kindColumn:
                return u"Type"_s;
            case dateColumn:
                return u"Date de modification"_s;
            default:
                break;
            }
        }
        return QFileSystemModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole && index.isValid()) {
            if (index.column() == sizeColumn)
                return isDir(index) ? QString() : FileUtils::byteFormatter().string(size(index));
            if (index.column() == dateColumn)
                return DateTimeFormatter::mediumDateShortTime().string(lastModified(index));
        }
        return QFileSystemModel::data(index, role);
    }

    static constexpr int nameColumn = 0;
    static constexpr int sizeColumn = 1;
    static constexpr int kindColumn = 2;
    static constexpr int dateColumn = 3;
};

// Whether `folder` is a folder of the Mac: under its root as written and, once links are followed, still there,
// so that a link cannot lead the chooser into this machine's own folders.
bool isMacFolder(const QString& folder)
{
    const QString root = Platform::systemRoot();
    if (!Platform::isEqualOrUnder(folder, root))
        return false;
    const QFileInfo info(folder);
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    return info.isDir() && !canonicalRoot.isEmpty() &&
           Platform::isEqualOrUnder(info.canonicalFilePath(), canonicalRoot);
}

} // namespace

FileChooser::FileChooser(const QString& directory, const QString& prompt, const QString& message,
                         Platform::OpenPanel::Mode mode, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_model(new EntryModel(this)), m_location(new QLineEdit(this)),
      m_up(new QToolButton(this)), m_list(new EntryList(this)), m_accept(nullptr)
{
    setObjectName(u"fileChooser"_s);
    setWindowTitle(prompt.isEmpty() ? u"Ouvrir"_s : prompt);
    resize(620, 420);
    auto* column = new QVBoxLayout(this);
    if (!message.isEmpty()) {
        auto* said = new TextLabel(message, Theme::systemFont(12.5), Paint::Ink::primary, this);
        said->setObjectName(u"chooserMessage"_s);
        said->setWordWrap(true);
        column->addWidget(said);
    }

    auto* place = new QHBoxLayout;
    m_up->setObjectName(u"chooserUpButton"_s);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setToolTip(u"Dossier parent"_s);
    place->addWidget(m_up);
    m_location->setObjectName(u"chooserLocation"_s);
    place->addWidget(m_location, 1);
    column->addLayout(place);

    // Entries that start with a dot stay hidden, as in the Finder.
    const bool oneFolder = m_mode == Platform::OpenPanel::Mode::oneFolder;
    m_model->setFilter(oneFolder ? QDir::AllDirs | QDir::NoDotAndDotDot
                                 : QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    m_model->setReadOnly(true);
    m_list->setObjectName(u"chooserList"_s);
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(0, Qt::AscendingOrder);
    m_list->setSelectionMode(oneFolder ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnHidden(EntryModel::kindColumn, true); // says little here
    m_list->header()->setSectionResizeMode(EntryModel::nameColumn, QHeaderView::Stretch);
    m_list->header()->setStretchLastSection(false);
    // The date column holds a whole date and time, as long as the title above it.
    const QFontMetrics metrics(m_list->font());
    m_list->header()->resizeSection(EntryModel::dateColumn,
                                    std::max(metrics.horizontalAdvance(u"00 sept. 0000, 00:00"_s),
                                             metrics.horizontalAdvance(u"Date de modification"_s)) +
                                        24);
    column->addWidget(m_list, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_accept = buttons->addButton(prompt.isEmpty() ? u"Ouvrir"_s : prompt, QDialogButtonBox::AcceptRole);
    m_accept->setObjectName(u"chooserAcceptButton"_s);
    QPushButton* cancel = buttons->addButton(u"Annuler"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"chooserCancelButton"_s);
    column->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!selectedPaths().isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_up, &QToolButton::clicked, this, [this] { setDirectory(Platform::parentOf(m_directory)); });
    // The field takes a Mac path ("/Users/demo", or "~" for the home folder); anything else puts back the listed
    // folder's.
    connect(m_location, &QLineEdit::returnPressed, this, [this] {
        QString typed = QDir::fromNativeSeparators(m_location->text().trimmed());
        if (typed == u"~"_s || typed.startsWith(u"~/"_s))
            typed = Platform::macPathOf(Platform::homeFolder()) + typed.mid(1);
        const std::optional<QString> macPath = Platform::standardizedPath(typed);
        if (macPath && isMacFolder(Platform::systemPath(*macPath)))
            setDirectory(Platform::systemPath(*macPath));
        else
            m_location->setText(location());
    });
    connect(m_list, &QTreeView::doubleClicked, this, &FileChooser::enter);
    static_cast<EntryList*>(m_list)->onEnter = [this](const QModelIndex& index) { enter(index); };
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FileChooser::follow);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FileChooser::directoryLoaded);

    const QString home = Platform::homeFolder();
    const QString start = !directory.isEmpty() && isMacFolder(QDir::cleanPath(directory)) ? directory
                          : isMacFolder(home)                                             ? home
                                                                                          : Platform::systemRoot();
    setDirectory(start);
}

void FileChooser::setDirectory(const QString& folder)
{
    const QString cleaned = QDir::cleanPath(folder);
    if (!isMacFolder(cleaned) && !m_directory.isEmpty())
        return;
    m_directory = cleaned;
    m_location->setText(location());
    m_up->setEnabled(m_directory != Platform::systemRoot());
    m_list->clearSelection();
    m_list->setRootIndex(m_model->setRootPath(m_directory));
    follow();
}

QString FileChooser::location() const
{
    return Platform::macPathOf(m_directory);
}

QStringList FileChooser::selectedPaths() const
{
    QModelIndexList rows = m_list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList paths;
    for (const QModelIndex& row : std::as_const(rows))
        paths.append(QDir::cleanPath(m_model->filePath(row)));
    // One folder: with none selected, the folder listed is the one chosen.
    if (m_mode == Platform::OpenPanel::Mode::oneFolder && paths.isEmpty())
        paths.append(m_directory);
    return paths;
}

void FileChooser::selectPaths(const QStringList& paths)
{
    m_list->clearSelection();
    for (const QString& path : paths) {
        const QModelIndex index = m_model->index(path);
        if (index.isValid())
            m_list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void FileChooser::follow()
{
    m_accept->setEnabled(m_mode == Platform::OpenPanel::Mode::oneFolder ||
                         !m_list->selectionModel()->selectedRows().isEmpty());
}

void FileChooser::enter(const QModelIndex& index)
{
    if (index.isValid() && m_model->isDir(index))
        setDirectory(m_model->filePath(index));
}
