#include "fixture_toolkits.h"

namespace {

constexpr int kRow = 34;
constexpr char kWinFormsClass[] = "WindowsForms10.BUTTON.app.0.1";
constexpr char kDelphiClass[] = "TButton";
constexpr char kEmbeddedClass[] = "BoxSweepEmbedded";

ReportFunction g_report = nullptr;
WNDPROC g_staticProc = nullptr;
const std::vector<WindowlessButton>* g_embedded = nullptr;

// A superclass keeps the system button's window procedure under a name of its own, as WinForms
// and the VCL register theirs.
void RegisterButtonSuperclass(HINSTANCE instance, const char* name)
{
    WNDCLASSA superclass{};
    if (!GetClassInfoA(nullptr, "BUTTON", &superclass))
        return;
    superclass.hInstance = instance;
    superclass.lpszClassName = name;
    RegisterClassA(&superclass);
}

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == BM_CLICK) {
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        g_report(std::string("clicked static ") + text);
    }
    return CallWindowProcA(g_staticProc, window, message, wParam, lParam);
}

LRESULT CALLBACK EmbeddedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETOBJECT)
        return AnswerGetObject(window, wParam, lParam, g_embedded, g_report);
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        for (const WindowlessButton& button : *g_embedded) {
            RECT rect = button.rect;
            DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
            DrawTextA(dc, button.name.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int AddButtons(HWND panel, HINSTANCE instance, const char* className, DWORD style,
               const std::vector<std::string>& texts, int id, int* row)
{
    for (const std::string& text : texts) {
        CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, kRow * (*row)++, 140, 28,
                        panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    }
    return id;
}

}  // namespace

bool TakeToolkitOption(ToolkitControls& controls, int argc, char** argv, int* i)
{
    const std::string option = argv[*i];
    if (*i + 1 >= argc)
        return false;
    std::vector<std::string>* list = nullptr;
    if (option == "--winforms-button")
        list = &controls.winforms;
    else if (option == "--delphi-button")
        list = &controls.delphi;
    else if (option == "--panel-static")
        list = &controls.statics;
    if (list != nullptr) {
        list->push_back(argv[++*i]);
        return true;
    }
    if (option == "--embedded-windowless") {
        const int row = static_cast<int>(controls.embedded.size());
        controls.embedded.push_back(WindowlessButton{argv[++*i], RECT{10, 10 + row * kRow, 150, 38 + row * kRow}});
        return true;
    }
    return false;
}

int AddToolkitControls(HWND window, HINSTANCE instance, int top, int firstId, ToolkitControls& controls,
                       ReportFunction report)
{
    g_report = report;
    const int rows = static_cast<int>(controls.winforms.size() + controls.delphi.size() + controls.statics.size());
    if (rows > 0) {
        RegisterButtonSuperclass(instance, kWinFormsClass);
        RegisterButtonSuperclass(instance, kDelphiClass);
        HWND panel = CreateWindowExA(0, "BoxSweepContainer", "", WS_CHILD | WS_VISIBLE, 10, top, 320, rows * kRow,
                                     window, nullptr, instance, nullptr);
        // The statics come first, so that a search for the caption meets them before the buttons.
        int row = 0;
        for (const std::string& text : controls.statics) {
            HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 0, kRow * row++, 140, 28,
                                         panel, nullptr, instance, nullptr);
            g_staticProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProc)));
        }
        int id = AddButtons(panel, instance, kWinFormsClass, BS_OWNERDRAW, controls.winforms, firstId, &row);
        AddButtons(panel, instance, kDelphiClass, BS_PUSHBUTTON, controls.delphi, id, &row);
        top += rows * kRow;
    }
    if (!controls.embedded.empty()) {
        g_embedded = &controls.embedded;
        WNDCLASSA embeddedClass{};
        embeddedClass.lpfnWndProc = EmbeddedProc;
        embeddedClass.hInstance = instance;
        embeddedClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        embeddedClass.lpszClassName = kEmbeddedClass;
        RegisterClassA(&embeddedClass);
        const int height = 20 + static_cast<int>(controls.embedded.size()) * kRow;
        CreateWindowExA(0, kEmbeddedClass, "", WS_CHILD | WS_VISIBLE, 10, top, 320, height, window, nullptr,
                        instance, nullptr);
        top += height;
    }
    return top;
}

const std::string* ToolkitButtonText(const ToolkitControls& controls, int firstId, int id)
{
    const size_t index = static_cast<size_t>(id - firstId);
    if (id < firstId)
        return nullptr;
    if (index < controls.winforms.size())
        return &controls.winforms[index];
    if (index < controls.winforms.size() + controls.delphi.size())
        return &controls.delphi[index - controls.winforms.size()];
    return nullptr;
}
