// ondrix-graph: plots formulas with the graph component, in a window or once
// into a PNG file.
//
//   ondrix-graph [options] 'EXPR' ['EXPR' ...]
//
// Each formula is a series in x, coloured red, blue, yellow, purple, then
// green, aqua, fuchsia, olive, navy, maroon, teal and lime. In the window the
// right button zooms out (click) and pans (drag), a left drag zooms into the
// rectangle, a left click zooms in, and Shift with the left button shows the
// values under the pointer.
#include "graph/EasyGraph.h"
#include "platform/SafeWrite.h"

#include "common/QtPlatformChoice.h"

#include <QApplication>
#include <QBuffer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace ondrix::graph;

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitFailure = 1;

const char* const Usage =
    "Usage: ondrix-graph [options] 'EXPR' ['EXPR' ...]\n"
    "Plots y = EXPR(x) for each formula (series coloured red, blue, yellow, purple, ...).\n"
    "\n"
    "Options:\n"
    "  --png FILE          render once into FILE (PNG) and exit; needs no display\n"
    "  --size WxH          size of the graph in pixels (default 640x480)\n"
    "  --range XMIN,YMIN,XMAX,YMAX\n"
    "                      visible range (default -10,-10,10,10)\n"
    "  --xrange MIN,MAX    visible x range\n"
    "  --yrange MIN,MAX    visible y range\n"
    "  --grid STYLE        none, xaxis, yaxis, axes, xgrid, ygrid or full (default)\n"
    "  --no-numbers        no numbers under and left of the plot\n"
    "  --quadrant Q        all (default), first, second, third, fourth, right or left\n"
    "  --dots              draw single pixels instead of joined lines\n"
    "  --maintain-ratio    keep one x unit over one y unit at the aspect ratio\n"
    "  --aspect R          aspect ratio for --maintain-ratio (default 1)\n"
    "  --zoom-time MS      length of zoom animations (default 200, 0 = none)\n"
    "  --print-range       print the visible range on stdout whenever it changes\n"
    "  --help              show this text\n"
    "\n"
    "Range values may be formulas too (\"-pi,pi\"). In the window: right click zooms out,\n"
    "right drag pans, left drag zooms into the rectangle, left click zooms in,\n"
    "Shift with the left button shows the values under the pointer.\n";

const TColor SeriesColors[] = {clRed,    clBlue,   clYellow, clPurple, clGreen,  0xFFFF00,
                               0xFF00FF, 0x008080, 0x800000, 0x000080, 0x808000, 0x00FF00};

struct TOptions
{
    std::optional<std::string> PngFile;
    int Width = 640;
    int Height = 480;
    TEGRange Range;
    TGridStyle Grid = gsFull;
    bool Numbers = true;
    TEGQuadrant Quadrant = egqAll;
    bool Dots = false;
    bool MaintainRatio = false;
    long double Aspect = 1;
    int ZoomTime = 200;
    bool PrintRange = false;
    std::vector<std::string> Expressions;
};

[[noreturn]] void Fail(const std::string& message)
{
    std::fprintf(stderr, "ondrix-graph: %s\n\n%s", message.c_str(), Usage);
    std::exit(ExitUsage);
}

// Splits at the commas outside brackets, so that "max(1,2),3" is two values.
std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts(1);
    int depth = 0;
    for (char c : text) {
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        if (c == ',' && depth == 0)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

long double Number(const std::string& text, const std::string& option)
{
    TMDParser parser;
    try {
        if (parser.CompileExpression(TPoints::StripExpression(text))) {
            const long double value = parser.Value();
            if (!parser.CalcError() && std::isfinite(value)) return value;
        }
    } catch (const std::exception& error) {
        Fail(option + ": \"" + text + "\": " + error.what());
    }
    Fail(option + ": \"" + text + "\" is not a number");
}

std::vector<long double> Numbers(const std::string& text, const std::string& option, std::size_t count)
{
    const std::vector<std::string> parts = SplitList(text);
    if (parts.size() != count)
        Fail(option + " takes " + std::to_string(count) + " values separated by commas");
    std::vector<long double> values;
    for (const std::string& part : parts)
        values.push_back(Number(part, option));
    return values;
}

template <typename Enum, std::size_t N>
Enum Choice(const std::string& text, const char* const (&names)[N], const std::string& option)
{
    for (std::size_t i = 0; i < N; ++i)
        if (text == names[i]) return static_cast<Enum>(i);
    Fail(option + ": unknown value \"" + text + "\"");
}

TOptions ParseOptions(int argc, char** argv)
{
    static const char* const GridNames[] = {"none", "xaxis", "yaxis", "axes", "xgrid", "ygrid", "full"};
    static const char* const QuadrantNames[] = {"all", "first", "second", "third", "fourth", "right", "left"};
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else if (arg == "--png") {
            options.PngFile = value();
            if (options.PngFile->empty()) Fail("--png: the file name is empty");
        } else if (arg == "--size") {
            const std::string size = value();
            int width = 0, height = 0;
            char extra = 0;
            if (std::sscanf(size.c_str(), "%dx%d%c", &width, &height, &extra) != 2 || width < 1 ||
                height < 1 || width > 8192 || height > 8192)
                Fail("--size takes WIDTHxHEIGHT, each 1 to 8192 pixels");
            options.Width = width;
            options.Height = height;
        } else if (arg == "--range") {
            const auto v = Numbers(value(), arg, 4);
            options.Range = TEGRange{v[0], v[1], v[2], v[3]};
        } else if (arg == "--xrange") {
            const auto v = Numbers(value(), arg, 2);
            options.Range.XMin = v[0];
            options.Range.XMax = v[1];
        } else if (arg == "--yrange") {
            const auto v = Numbers(value(), arg, 2);
            options.Range.YMin = v[0];
            options.Range.YMax = v[1];
        } else if (arg == "--grid") {
            options.Grid = Choice<TGridStyle>(value(), GridNames, arg);
        } else if (arg == "--no-numbers") {
            options.Numbers = false;
        } else if (arg == "--quadrant") {
            options.Quadrant = Choice<TEGQuadrant>(value(), QuadrantNames, arg);
        } else if (arg == "--dots") {
            options.Dots = true;
        } else if (arg == "--maintain-ratio") {
            options.MaintainRatio = true;
        } else if (arg == "--aspect") {
            options.Aspect = Number(value(), arg);
            if (!(options.Aspect > 0)) Fail("--aspect must be greater than 0");
        } else if (arg == "--zoom-time") {
            options.ZoomTime = static_cast<int>(std::clamp(Number(value(), arg), 0.0L, 60000.0L));
        } else if (arg == "--print-range") {
            options.PrintRange = true;
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            Fail("unknown option " + arg);
        } else {
            options.Expressions.push_back(arg);
        }
    }
    if (options.Range.XMin == options.Range.XMax || options.Range.YMin == options.Range.YMax)
        Fail("the range must not be empty");
    return options;
}

// The graph silently leaves out a formula that does not compile; tell the user
// why. False for such a formula.
bool WarnIfNotCompiling(TMDParser& parser, const TPoints& points)
{
    std::string problem;
    try {
        if (!parser.CompileExpression(points.StrippedExpression())) problem = "it is empty";
    } catch (const std::exception& error) {
        problem = error.what();
    }
    if (!problem.empty())
        std::fprintf(stderr, "ondrix-graph: \"%s\" is not drawn: %s\n", points.Expression().c_str(),
                     problem.c_str());
    return problem.empty();
}

// Sets the graph up from the options; false when formulas were given and none can be drawn.
bool Configure(TEasyGraph& graph, const TOptions& options)
{
    graph.SetGridStyle(options.Grid);
    graph.SetNumbHoriz(options.Numbers);
    graph.SetNumbVert(options.Numbers);
    graph.SetQuadrant(options.Quadrant);
    graph.SetMaintainRatio(options.MaintainRatio);
    graph.SetAspectRatio(options.Aspect);
    graph.SetZoomTime(options.ZoomTime);
    graph.BeginUpdate();
    std::size_t drawable = 0;
    for (std::size_t i = 0; i < options.Expressions.size(); ++i) {
        graph.Series().Add();
        TPoints& points = graph.Series().Items(graph.Series().Count() - 1);
        points.SetColor(SeriesColors[i % std::size(SeriesColors)]);
        points.SetStyle(options.Dots ? egdDots : egdLine);
        points.SetExpression(options.Expressions[i]);
        if (WarnIfNotCompiling(graph.Parser(), points)) ++drawable;
    }
    // Sized first: SetVisible renders at once, and with --maintain-ratio that render
    // stores a range widened for the size the graph has at that moment.
    graph.resize(options.Width, options.Height);
    graph.SetVisible(options.Range);
    return options.Expressions.empty() || drawable > 0;
}

// The PNG is made in memory and then written whole, so that a full disk or a
// failing write never leaves a truncated picture in place of the old one.
bool SavePng(const QImage& image, const std::string& fileName)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        std::fprintf(stderr, "ondrix-graph: cannot make the PNG image\n");
        return false;
    }
    const auto written =
        ondrix::platform::WriteFileSafely(fileName, std::string_view(png.constData(), png.size()));
    if (!written)
        std::fprintf(stderr, "ondrix-graph: cannot write %s: %s\n", fileName.c_str(), written.reason.c_str());
    return static_cast<bool>(written);
}

QString RangeText(const TEGRange& range)
{
    auto number = [](long double v) { return QString::number(static_cast<double>(v), 'g', 10); };
    return QStringLiteral("x %1 .. %2, y %3 .. %4")
        .arg(number(range.XMin), number(range.XMax), number(range.YMin), number(range.YMax));
}

// Qt ends the program with abort() when it cannot start (a platform plugin
// that cannot be loaded): that is reported as this program's failure instead.
QtMessageHandler DefaultMessageHandler = nullptr;

void ReportFatalQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (DefaultMessageHandler != nullptr) DefaultMessageHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "ondrix-graph: cannot go on: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(ExitFailure);
}

} // namespace

int main(int argc, char** argv)
{
    const TOptions options = ParseOptions(argc, argv);
    const bool toFile = options.PngFile.has_value();
    const bool hasDisplay = ondrix::common::HasDisplayOrPlatform();
    // A file needs no screen; without a display Qt would otherwise abort.
    if (toFile || !hasDisplay) ondrix::common::UseOffscreenUnlessChosen();
    if (!toFile && !hasDisplay) {
        std::fprintf(stderr,
                     "ondrix-graph: no display to open a window on; use --png FILE to render into a file\n");
        return ExitUsage;
    }

    DefaultMessageHandler = qInstallMessageHandler(ReportFatalQtMessages);
    QApplication app(argc, argv);
    if (toFile) {
        TEasyGraph graph;
        if (!Configure(graph, options)) return ExitFailure; // nothing worth a picture
        graph.EndUpdate();
        graph.Render();
        return SavePng(graph.BackBuffer(), *options.PngFile) ? 0 : ExitFailure;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("ondrix-graph"));
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* graph = new TEasyGraph(&window);
    // The title follows the visible range; --print-range also reports it for scripts.
    graph->SetOnVisChange([&window, print = options.PrintRange](TEasyGraph* sender) {
        const QString text = RangeText(sender->VisibleRange());
        window.setWindowTitle(QStringLiteral("ondrix-graph: ") + text);
        if (print) {
            std::printf("range %s\n", text.toUtf8().constData());
            std::fflush(stdout);
        }
    });
    const bool drawable = Configure(*graph, options);
    layout->addWidget(graph);
    window.resize(options.Width, options.Height);
    graph->EndUpdate();
    window.show();
    const int status = app.exec();
    return drawable ? status : ExitFailure;
}
