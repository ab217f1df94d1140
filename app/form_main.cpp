// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form_main.h"

#include "app/edit.h"
#include "app/glyphs.h"
#include "app/handler.h"
#include "text/errors.h"
#include "widgets/gradient.h"
#include "widgets/prg_status_bar.h"
#include "widgets/splitter.h"
#include "widgets/text_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <limits>

namespace {

QFont WindowFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

// Between a label's right edge and its edit.
constexpr int kLabelGap = 3;

// The text of the labels on the band, whatever the desktop's colour scheme: the band keeps its
// light colours, on which a dark scheme's white text would fade (1.7:1 at the sky blue end, less
// further right). Black reads at 12.3:1 at the sky blue end.
constexpr Qt::GlobalColor kBandTextColor = Qt::black;

// A bold label for edit, as wide and high as its text, its right edge kLabelGap pixels left of the
// edit and centred on the edit's height. It has no background of its own: the band shows through.
// Its text stays kBandTextColor when the scheme changes and while a box disables the window.
QLabel* BoldLabel(const QString& text, QLineEdit* edit, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kBandTextColor);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QSize size = label->sizeHint();
    const QRect place = edit->geometry();
    label->setGeometry(place.left() - kLabelGap - size.width(),
                       place.top() + (place.height() - size.height()) / 2, size.width(),
                       size.height());
    label->setBuddy(edit);
    return label;
}

QPushButton* GlyphButton(const QIcon& glyph, const QRect& place, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIcon(glyph);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TFormMain::TFormMain(QWidget* parent)
    : QWidget(parent), FDialogs(std::make_unique<StandardFileDialogs>()) {
    using namespace FormLayout;
    setWindowTitle(QStringLiteral("Recherche de texte"));
    setFont(WindowFont());
    setMinimumSize(kMinClientWidth, kMinClientHeight);
    resize(kClientWidth, kClientHeight);
    move(kLeft, kTop);

    buildTopStrip();
    buildPanel();
    buildStatusBar();
    setTabOrder();
    connectHandlers();
    setUpAccess();
    acceptDroppedFiles();
    FormCreate();
}

TFormMain::~TFormMain() {
    FormDestroy();
}

void TFormMain::setFileDialogs(std::unique_ptr<FileDialogs> dialogs) {
    FDialogs = std::move(dialogs);
}

void TFormMain::buildTopStrip() {
    Gradient1 = new TGradient(this);
    Gradient1->beginLoading();
    Gradient1->setColorBegin(clSkyBlue);
    Gradient1->setColorEnd(clWhite);
    Gradient1->setStyle(gsLinearH);
    Gradient1->endLoading();

    edtSrc = new TEdit(this);
    edtSrc->setReadOnly(true);
    edtSrc->setGeometry(105, 12, 307, 21);
    lblSrc = BoldLabel(QStringLiteral("Fichier source "), edtSrc, this);
    btnOpen = GlyphButton(
        GlyphIcon(QStringLiteral(":/glyph-open.xpm"), QStringLiteral(":/glyph-open-disabled.xpm")),
        QRect(417, 12, 22, 21), this);

    edtSel = new TEdit(this);
    edtSel->setGeometry(105, 36, 91, 21);
    lblSel = BoldLabel(QStringLiteral("Chaine "), edtSel, this);
    edtSel->setMaxLength(std::numeric_limits<int>::max()); // the whole string, however long
    btnGo = GlyphButton(
        GlyphIcon(QStringLiteral(":/glyph-go.xpm"), QStringLiteral(":/glyph-go-disabled.xpm")),
        QRect(204, 36, 79, 21), this);
    btnGo->setText(QStringLiteral("Exec."));
    QFont bold = btnGo->font();
    bold.setBold(true);
    btnGo->setFont(bold);
    btnSave =
        GlyphButton(GlyphIcon(QStringLiteral(":/glyph-save.xpm")), QRect(288, 36, 28, 21), this);
}

void TFormMain::buildPanel() {
    Panel1 = new QWidget(this);
    mmo = new TextView(Panel1);
    mmo->setScrollBars(Qt::ScrollBarAlwaysOff, Qt::ScrollBarAlwaysOn);
    mmo->setFixedWidth(FormLayout::kResultWidth);
    mmoText = new TextView(Panel1);
    mmoText->setScrollBars(Qt::ScrollBarAlwaysOn, Qt::ScrollBarAlwaysOn);
    mmoText->setMinimumWidth(TSplitter::kSnap); // what the splitter leaves it at the least
    Splitter1 = new TSplitter(mmo, Panel1);

    auto* layout = new QHBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mmo);
    layout->addWidget(Splitter1);
    layout->addWidget(mmoText, 1);
}

void TFormMain::buildStatusBar() {
    StatusBar = new TPrgStatusBar(this);
    StatusBar->clearPanels();
    for (const int width : {150, 250, 50})
        StatusBar->addPanel(width);
    StatusBar->setPgActive(false);
    StatusBar->setPgIndex(0);
    StatusBar->setPgMax(100);
    StatusBar->setPgMin(0);
    StatusBar->setPgPosition(0);
    StatusBar->setPgStep(10);
}

void TFormMain::setTabOrder() {
    QWidget::setTabOrder(edtSrc, btnOpen);
    QWidget::setTabOrder(btnOpen, edtSel);
    QWidget::setTabOrder(edtSel, btnGo);
    QWidget::setTabOrder(btnGo, btnSave);
    QWidget::setTabOrder(btnSave, mmo);
    QWidget::setTabOrder(mmo, mmoText);
}

void TFormMain::connectHandlers() {
    // Each handler runs through Guarded: an error ends that handler alone. A change handler fired
    // by another handler's assignment is thus reported on its own, and the assigning handler goes
    // on.
    connect(edtSrc, &QLineEdit::textChanged, this,
            Guarded([this](const QString&) { edtSrcChange(); }));
    connect(edtSel, &QLineEdit::textChanged, this,
            Guarded([this](const QString&) { edtSelChange(); }));
    connect(btnOpen, &QPushButton::clicked, this, Guarded([this] { btnOpenClick(); }));
    connect(btnGo, &QPushButton::clicked, this, Guarded([this] { btnGoClick(); }));
    connect(btnSave, &QPushButton::clicked, this, Guarded([this] { btnSaveClick(); }));
    connect(mmo, &TextView::doubleClicked, this, Guarded([this] { mmoDblClick(); }));
    connect(mmoText, &TextView::mouseReleased, this, Guarded([this](Qt::MouseButton button) {
                if (button == Qt::LeftButton || button == Qt::RightButton ||
                    button == Qt::MiddleButton)
                    mmoTextMouseUp();
            }));
    connect(mmoText, &TextView::sourceChanged, this,
            Guarded([] { throw EInvalidOperation(kSourceChangedMessage); }));
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    using namespace FormLayout;
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    Gradient1->setGeometry(0, 0, w, kBandHeight);
    StatusBar->setGeometry(0, h - kStatusHeight, w, kStatusHeight);
    Panel1->setGeometry(0, kBandHeight, w, std::max(0, h - kBandHeight - kStatusHeight));
}

void TFormMain::FormCreate() {
    mmoText->clear();
    mmo->clear();
    edtSrc->setText(QString());
    edtSel->setText(QString());
    btnGo->setEnabled(false);
    btnSave->setVisible(false);
}

void TFormMain::FormDestroy() {
    mmoText->clear();
    mmo->clear();
}

void TFormMain::edtSrcChange() {
    mmo->clear();
    mmoText->clearMarks();
    btnSave->setVisible(false);
    btnGo->setEnabled(!edtSrc->text().isEmpty() && !edtSel->text().isEmpty());
}

void TFormMain::edtSelChange() {
    mmo->clear();
    mmoText->clearMarks();
    btnSave->setVisible(false);
    edtSrcChange();
}
