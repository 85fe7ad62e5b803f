#pragma once
#include <QtWidgets>

// Screenshots held to the PNGs committed beside the tests. The pictures are made stable by the
// widgets' Fusion style and the DejaVu Sans font at a fixed size (setUp()); what a different
// FreeType or Qt still moves, anti-aliasing of a glyph's edge, is within the tolerance: a pixel
// counts as different only when a channel moved by more than g_channelTolerance, and a few such
// pixels are allowed.
//
// On a difference the new picture and an image of the difference (red where the pixels differ)
// are written beside the test's log, to be looked at and, when the change is meant, committed.
// Q71_UPDATE_GOLDEN=1 writes the new pictures over the committed ones instead.
class cScreenshot
{
public:
    static void setUp()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        font.setHintingPreference(QFont::PreferFullHinting);
        QApplication::setFont(font);
    }

    // Empty when `widget` looks as the golden picture `name` says; else what differs. A widget not
    // on screen (a menu) is grabbed at the size it asks for.
    static QString compare(QWidget *widget, const QString &name)
    {
        if (!widget->isVisible())
            widget->resize(widget->sizeHint());
        const QImage actual = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString goldenFile
            = QDir(QStringLiteral(Q71_GOLDEN_DIR)).filePath(name + QStringLiteral(".png"));
        if (qEnvironmentVariableIsSet("Q71_UPDATE_GOLDEN")) {
            actual.save(goldenFile);
            return QString();
        }
        const QImage golden = QImage(goldenFile).convertToFormat(QImage::Format_RGB32);
        QString problem;
        if (golden.isNull())
            problem = QStringLiteral("no golden picture %1").arg(goldenFile);
        const auto size = [](const QImage &image) {
            return QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
        };
        if (!golden.isNull() && golden.size() != actual.size())
            problem = QStringLiteral("%1 is %2, the widget %3").arg(goldenFile, size(golden), size(actual));
        QImage difference;
        if (problem.isEmpty()) {
            const int differing = differ(golden, actual, &difference);
            if (differing > g_allowedPixels)
                problem = QStringLiteral("%1 pixels differ from %2").arg(differing).arg(goldenFile);
        }
        if (problem.isEmpty())
            return QString();
        const QDir output(QStringLiteral(Q71_OUTPUT_DIR));
        actual.save(output.filePath(name + QStringLiteral(".actual.png")));
        if (!difference.isNull())
            difference.save(output.filePath(name + QStringLiteral(".diff.png")));
        return problem + QStringLiteral("; the new picture and the difference are in ")
            + output.absolutePath();
    }

    // The pixels of `a` and `b` (of one size) that differ by more than the tolerance, and an image
    // of them in `difference`.
    static int differ(const QImage &a, const QImage &b, QImage *difference)
    {
        *difference = QImage(a.size(), QImage::Format_RGB32);
        difference->fill(Qt::white);
        int count = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QColor one = a.pixelColor(x, y);
                const QColor other = b.pixelColor(x, y);
                const auto apart = [](int p, int q) { return qAbs(p - q) > g_channelTolerance; };
                if (apart(one.red(), other.red()) || apart(one.green(), other.green())
                    || apart(one.blue(), other.blue())) {
                    difference->setPixelColor(x, y, Qt::red);
                    ++count;
                }
            }
        }
        return count;
    }

private:
    static constexpr int g_channelTolerance = 48;
    static constexpr int g_allowedPixels = 40;
};

#define Q71_VERIFY_LOOKS_LIKE(widget, name)                                                                  \
    do {                                                                                                     \
        const QString problem = cScreenshot::compare(widget, QStringLiteral(name));                          \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                                    \
    } while (false)
