// makeui FORM.ui HEADER.h: writes the Ui:: class whose setupUi makes a form's controls over the Windows backend,
// from the form description the Qt backend reads too. Whatever the description says that this program
// does not know how to carry over fails the build, naming it, rather than being left out.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Fault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// An element of the description: its attributes, child elements and text.
struct Element {
    std::string Name;
    std::map<std::string, std::string> Attributes;
    std::vector<std::unique_ptr<Element>> Children;
    std::string Text;

    std::string Path;  // where it is, for messages

    const Element* Only(const std::string& ChildName) const
    {
        const Element* found = nullptr;
        for (const auto& child : Children)
            if (child->Name == ChildName) {
                if (found)
                    throw Fault(Path + ": more than one <" + ChildName + ">");
                found = child.get();
            }
        if (!found)
            throw Fault(Path + ": no <" + ChildName + ">");
        return found;
    }
    void AllowAttributes(std::initializer_list<const char*> Names) const
    {
        for (const auto& [name, value] : Attributes)
            if (std::find_if(Names.begin(), Names.end(), [&](const char* known) { return name == known; }) == Names.end())
                throw Fault(Path + ": unknown attribute " + name + "=\"" + value + "\"");
    }
    void AllowChildren(std::initializer_list<const char*> Names) const
    {
        for (const auto& child : Children)
            if (std::find_if(Names.begin(), Names.end(), [&](const char* known) { return child->Name == known; })
                == Names.end())
                throw Fault(Path + ": unknown element <" + child->Name + ">");
    }
    std::string Attribute(const std::string& Key) const
    {
        const auto found = Attributes.find(Key);
        if (found == Attributes.end())
            throw Fault(Path + ": no attribute " + Key);
        return found->second;
    }
};

// The subset of XML a form description uses: elements, attributes, text, the five named entities,
// character references, comments and the declaration. Anything else is refused.
class Reader {
public:
    explicit Reader(std::string Text) : FText(std::move(Text)) {}

    std::unique_ptr<Element> Document()
    {
        SkipMisc();
        auto root = ReadElement("");
        SkipMisc();
        if (FAt != FText.size())
            Fail("text after the root element");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& What) const
    {
        const int line = 1 + int(std::count(FText.begin(), FText.begin() + std::ptrdiff_t(FAt), '\n'));
        throw Fault("line " + std::to_string(line) + ": " + What);
    }
    bool At(const char* Prefix) const { return FText.compare(FAt, std::char_traits<char>::length(Prefix), Prefix) == 0; }
    void Expect(const char* Prefix)
    {
        if (!At(Prefix))
            Fail(std::string("expected ") + Prefix);
        FAt += std::char_traits<char>::length(Prefix);
    }
    void SkipUntil(const char* End)
    {
        const std::size_t end = FText.find(End, FAt);
        if (end == std::string::npos)
            Fail(std::string("no ") + End);
        FAt = end + std::char_traits<char>::length(End);
    }
    void SkipBlanks()
    {
        while (FAt < FText.size() && std::string(" \t\r\n").find(FText[FAt]) != std::string::npos)
            ++FAt;
    }
    void SkipMisc()
    {
        for (;;) {
            SkipBlanks();
            if (At("<?"))
                SkipUntil("?>");
            else if (At("<!--"))
                SkipUntil("-->");
            else
                return;
        }
    }
    std::string ReadName()
    {
        const std::size_t start = FAt;
        while (FAt < FText.size() && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '_'
                                         || FText[FAt] == '-' || FText[FAt] == '.' || FText[FAt] == ':'))
            ++FAt;
        if (FAt == start)
            Fail("expected a name");
        return FText.substr(start, FAt - start);
    }
    // Text up to Stop, with its entities replaced.
    std::string ReadText(char Stop)
    {
        std::string text;
        while (FAt < FText.size() && FText[FAt] != Stop) {
            if (FText[FAt] != '&') {
                text += FText[FAt++];
                continue;
            }
            const std::size_t end = FText.find(';', FAt);
            if (end == std::string::npos)
                Fail("an unfinished entity");
            const std::string entity = FText.substr(FAt + 1, end - FAt - 1);
            static const std::map<std::string, char> named{
                {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            if (const auto found = named.find(entity); found != named.end())
                text += found->second;
            else if (entity.size() > 1 && entity[0] == '#')
                AppendUtf8(text, entity);
            else
                Fail("unknown entity &" + entity + ";");
            FAt = end + 1;
        }
        if (FAt == FText.size())
            Fail(std::string("expected ") + Stop);
        return text;
    }
    void AppendUtf8(std::string& Text, const std::string& Reference)
    {
        const bool hex = Reference[1] == 'x';
        const std::string digits = Reference.substr(hex ? 2 : 1);
        std::size_t used = 0;
        unsigned long code = 0;
        try {
            code = std::stoul(digits, &used, hex ? 16 : 10);
        } catch (const std::exception&) {
            used = 0;
        }
        if (digits.empty() || used != digits.size() || code == 0 || code > 0x10FFFF)
            Fail("bad character reference &" + Reference + ";");
        if (code < 0x80) {
            Text += char(code);
        } else if (code < 0x800) {
            Text += char(0xC0 | code >> 6);
            Text += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            Text += char(0xE0 | code >> 12);
            Text += char(0x80 | (code >> 6 & 0x3F));
            Text += char(0x80 | (code & 0x3F));
        } else {
            Text += char(0xF0 | code >> 18);
            Text += char(0x80 | (code >> 12 & 0x3F));
            Text += char(0x80 | (code >> 6 & 0x3F));
            Text += char(0x80 | (code & 0x3F));
        }
    }
    std::unique_ptr<Element> ReadElement(const std::string& ParentPath)
    {
        Expect("<");
        auto element = std::make_unique<Element>();
        element->Name = ReadName();
        element->Path = ParentPath + "/" + element->Name;
        for (;;) {
            SkipBlanks();
            if (At("/>")) {
                FAt += 2;
                return element;
            }
            if (At(">")) {
                ++FAt;
                break;
            }
            const std::string key = ReadName();
            SkipBlanks();
            Expect("=");
            SkipBlanks();
            Expect("\"");
            // Read twice, the last would win without a word.
            if (!element->Attributes.emplace(key, ReadText('"')).second)
                Fail("attribute " + key + " twice in <" + element->Name + ">");
            ++FAt;
        }
        if (const auto name = element->Attributes.find("name"); name != element->Attributes.end())
            element->Path += "[" + name->second + "]";
        for (;;) {
            element->Text += ReadText('<');
            if (At("<!--")) {
                SkipUntil("-->");
            } else if (At("<![CDATA[") || At("<!") || At("<?")) {
                Fail("unsupported markup in " + element->Path);
            } else if (At("</")) {
                FAt += 2;
                if (ReadName() != element->Name)
                    Fail("</...> does not close <" + element->Name + ">");
                SkipBlanks();
                Expect(">");
                return element;
            } else {
                element->Children.push_back(ReadElement(element->Path));
            }
        }
    }

    std::string FText;
    std::size_t FAt = 0;
};

enum class Kind { Form, Image, Label, Button, Radio, Edit, Timer };

struct ClassInfo {
    Kind Type;
    const char* Header;
};

const std::map<std::string, ClassInfo> Classes{{"TForm", {Kind::Form, "TForm.h"}},
    {"TImage", {Kind::Image, "TImage.h"}}, {"TLabel", {Kind::Label, "TLabel.h"}},
    {"TButton", {Kind::Button, "TButton.h"}}, {"TRadioButton", {Kind::Radio, "TRadioButton.h"}},
    {"TEdit", {Kind::Edit, "TEdit.h"}}, {"TTimer", {Kind::Timer, "TTimer.h"}}};

// The one icon the description may name: the program's own, which the resource script carries.
constexpr const char* ApplicationIcon = ":/scrolltest.xpm";

std::string Quoted(const std::string& Text)
{
    std::string quoted = "\"";
    for (const unsigned char c : Text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            quoted += octal;
        } else {
            quoted += char(c);
        }
    }
    return quoted + '"';
}

int Number(const Element& Value)
{
    const std::string& text = Value.Text;
    std::size_t used = 0;
    int number = 0;
    try {
        number = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size())
        throw Fault(Value.Path + ": not a whole number: \"" + text + "\"");
    return number;
}

int Field(const Element& Value, const char* Name)
{
    Value.AllowAttributes({});
    return Number(*Value.Only(Name));
}

// A property's one value element, which must be of Type.
const Element& Value(const Element& Property, const char* Type)
{
    Property.AllowAttributes({"name", "stdset"});
    if (Property.Children.size() != 1 || Property.Children.front()->Name != Type)
        throw Fault(Property.Path + ": expected one <" + Type + "> value");
    return *Property.Children.front();
}

struct Rect {
    int X, Y, Width, Height;
};

// A geometry property's rectangle: a window of no size would not show, and a negative one would not be made;
// its right and bottom edges must be numbers too.
Rect RectValue(const Element& Property)
{
    const Element& rect = Value(Property, "rect");
    rect.AllowChildren({"x", "y", "width", "height"});
    const Rect value{Field(rect, "x"), Field(rect, "y"), Field(rect, "width"), Field(rect, "height")};
    if (value.Width <= 0 || value.Height <= 0)
        throw Fault(rect.Path + ": " + std::to_string(value.Width) + " x " + std::to_string(value.Height)
                    + " is no size");
    // Reckoned wide: a control may start left of or above the form.
    constexpr std::int64_t most = std::numeric_limits<int>::max();
    if (std::int64_t(value.X) + value.Width > most || std::int64_t(value.Y) + value.Height > most)
        throw Fault(rect.Path + ": reaches past the last coordinate");
    return value;
}

std::string StringValue(const Element& Property)
{
    const Element& value = Value(Property, "string");
    value.AllowAttributes({"notr"});
    value.AllowChildren({});
    return value.Text;
}

bool BoolValue(const Element& Property)
{
    const Element& value = Value(Property, "bool");
    value.AllowChildren({});
    if (value.Text != "true" && value.Text != "false")
        throw Fault(value.Path + ": not true or false: \"" + value.Text + "\"");
    return value.Text == "true";
}

struct Control {
    std::string Name;
    std::string Class;
    Kind Type;
    int Id;  // 0 for components that are no window
};

class Writer {
public:
    explicit Writer(const Element& Root) : FRoot(Root) {}

    std::string Header()
    {
        FRoot.AllowAttributes({"version"});
        if (FRoot.Name != "ui" || FRoot.Attribute("version") != "4.0")
            throw Fault(FRoot.Path + ": not a version 4.0 form description");
        FRoot.AllowChildren({"class", "widget", "customwidgets", "tabstops", "resources", "connections"});
        for (const char* empty : {"resources", "connections"})
            for (const auto& child : FRoot.Children)
                if (child->Name == empty && (!child->Children.empty() || !child->Attributes.empty()))
                    throw Fault(child->Path + ": not empty");
        CheckCustomWidgets();
        const Element* uiClass = FRoot.Only("class");
        uiClass->AllowAttributes({});
        uiClass->AllowChildren({});
        Form(*FRoot.Only("widget"));
        TabOrder();

        std::ostringstream out;
        out << "#pragma once\n\n// Written by makeui from the form description at build time: change the description, not this.\n\n"
               "#include \"Resources.h\"\n";
        for (const std::string& header : FHeaders)
            out << "#include \"" << header << "\"\n";
        out << "\nnamespace Ui {\n\nclass " << uiClass->Text << " {\npublic:\n";
        for (const Control& control : FControls)
            out << "    " << control.Class << "* " << control.Name << ";\n";
        out << "\n    void setupUi(TForm* " << FFormName << ")\n    {\n" << FSetup.str() << "    }\n};\n\n}  // namespace Ui\n";
        return out.str();
    }

private:
    void CheckCustomWidgets()
    {
        const Element* widgets = FRoot.Only("customwidgets");
        widgets->AllowAttributes({});
        widgets->AllowChildren({"customwidget"});
        for (const auto& widget : widgets->Children) {
            widget->AllowAttributes({});
            widget->AllowChildren({"class", "extends", "header", "container"});
            for (const auto& part : widget->Children) {
                part->AllowAttributes({});
                part->AllowChildren({});
            }
            const std::string name = widget->Only("class")->Text;
            const auto known = Classes.find(name);
            if (known == Classes.end())
                throw Fault(widget->Path + ": unknown class " + name);
            if (widget->Only("header")->Text != known->second.Header)
                throw Fault(widget->Path + ": " + name + " is declared in " + known->second.Header);
        }
    }

    const ClassInfo& ClassOf(const Element& Widget)
    {
        Widget.AllowAttributes({"class", "name"});
        const auto known = Classes.find(Widget.Attribute("class"));
        if (known == Classes.end())
            throw Fault(Widget.Path + ": unknown class " + Widget.Attribute("class"));
        FHeaders.insert(known->second.Header);
        return known->second;
    }

    void Form(const Element& Widget)
    {
        if (ClassOf(Widget).Type != Kind::Form)
            throw Fault(Widget.Path + ": the form must be a TForm");
        FFormName = Widget.Attribute("name");
        Widget.AllowChildren({"property", "widget"});
        Properties(Widget, true);
        for (const auto& property : Widget.Children) {
            if (property->Name != "property")
                continue;
            const std::string name = property->Attribute("name");
            if (name == "geometry") {
                // Where the designer left the window does not matter: it opens centred on the screen.
                const Rect rect = RectValue(*property);
                Line(FFormName + "->SetClientSize(" + std::to_string(rect.Width) + ", " + std::to_string(rect.Height)
                     + ");");
            } else if (name == "OuterSize") {
                // The outer size allows for a window manager's frame. Here the system's frame is added to
                // the client size (AdjustWindowRectEx), as a Windows user expects; it is checked, not used.
                const Element& size = Value(*property, "size");
                size.AllowChildren({"width", "height"});
                if (Field(size, "width") <= 0 || Field(size, "height") <= 0)
                    throw Fault(size.Path + ": not a size");
            } else if (name == "windowTitle") {
                Line(FFormName + "->SetCaption(" + Quoted(StringValue(*property)) + ");");
            } else if (name == "windowIcon") {
                const Element& icon = Value(*property, "iconset");
                icon.AllowAttributes({});
                icon.AllowChildren({"normaloff"});
                if (icon.Only("normaloff")->Text != ApplicationIcon || icon.Text != ApplicationIcon)
                    throw Fault(icon.Path + ": only the program's icon " + ApplicationIcon + " is known");
                Line(FFormName + "->SetIcon(ApplicationIconId);");
            } else {
                throw Fault(property->Path + ": unknown property");
            }
        }
        for (const auto& child : Widget.Children)
            if (child->Name == "widget")
                Child(*child);
    }

    void Child(const Element& Widget)
    {
        const ClassInfo& info = ClassOf(Widget);
        if (info.Type == Kind::Form)
            throw Fault(Widget.Path + ": a form inside a form");
        Widget.AllowChildren({"property"});
        const std::string name = Widget.Attribute("name");
        for (const Control& control : FControls)
            if (control.Name == name)
                throw Fault(Widget.Path + ": a second control named " + name);
        const bool window = info.Type != Kind::Timer;
        const int id = window ? ++FWindows : 0;
        FControls.push_back({name, Widget.Attribute("class"), info.Type, id});
        Line(name + " = new " + Widget.Attribute("class") + "(" + FFormName + (window ? ", " + std::to_string(id) : "")
             + ");");
        Properties(Widget, window);
        for (const auto& property : Widget.Children)
            Property(*property, name, info.Type);
    }

    // Each property once, and a window's geometry always: without it the window would have no size.
    static void Properties(const Element& Widget, bool Window)
    {
        std::set<std::string> names;
        for (const auto& property : Widget.Children)
            if (property->Name == "property" && !names.insert(property->Attribute("name")).second)
                throw Fault(property->Path + ": given twice");
        if (Window && !names.contains("geometry"))
            throw Fault(Widget.Path + ": no geometry");
    }

    void Property(const Element& Property, const std::string& Name, Kind Type)
    {
        const std::string property = Property.Attribute("name");
        const auto is = [&](const char* Wanted, std::initializer_list<Kind> Kinds) {
            return property == Wanted && std::find(Kinds.begin(), Kinds.end(), Type) != Kinds.end();
        };
        const std::initializer_list<Kind> windows{
            Kind::Image, Kind::Label, Kind::Button, Kind::Radio, Kind::Edit};
        if (is("geometry", windows)) {
            const Rect rect = RectValue(Property);
            Line(Name + "->SetBounds(TRect{" + std::to_string(rect.X) + ", " + std::to_string(rect.Y) + ", "
                 + std::to_string(rect.X + rect.Width) + ", " + std::to_string(rect.Y + rect.Height) + "});");
        } else if (is("enabled", windows)) {
            Line(Name + "->SetEnabled(" + (BoolValue(Property) ? "true" : "false") + ");");
        } else if (is("text", {Kind::Button, Kind::Radio})) {
            Line(Name + "->SetCaption(" + Quoted(StringValue(Property)) + ");");
        } else if (is("text", {Kind::Edit})) {
            Line(Name + "->SetText(" + Quoted(StringValue(Property)) + ");");
        } else if (is("Caption", {Kind::Label})) {
            Line(Name + "->SetCaption(" + Quoted(StringValue(Property)) + ");");
        } else if (is("checked", {Kind::Radio})) {
            Line(Name + "->SetChecked(" + (BoolValue(Property) ? "true" : "false") + ");");
        } else if (is("accessibleName", {Kind::Image})) {
            Line(Name + "->SetAccessibleName(" + Quoted(StringValue(Property)) + ");");
        } else if (is("buddy", {Kind::Label})) {
            const Element& buddy = Value(Property, "cstring");
            buddy.AllowChildren({});
            // After the tab order, which moves the field among the form's windows.
            FBuddies.push_back({Property.Path, Name, buddy.Text});
        } else if (is("Enabled", {Kind::Timer})) {
            Line(Name + "->SetEnabled(" + (BoolValue(Property) ? "true" : "false") + ");");
        } else if (is("Interval", {Kind::Timer})) {
            const Element& value = Value(Property, "number");
            value.AllowChildren({});
            if (Number(value) < 0)
                throw Fault(value.Path + ": a negative interval");
            Line(Name + "->SetInterval(" + std::to_string(Number(value)) + ");");
        } else {
            throw Fault(Property.Path + ": unknown property for this class");
        }
    }

    // Tab visits the controls in the order of the form's windows. The radio buttons are one group, as those
    // of one parent are on every backend: one tab stop, moved within by the arrow keys.
    void TabOrder()
    {
        const Element* tabstops = FRoot.Only("tabstops");
        tabstops->AllowAttributes({});
        tabstops->AllowChildren({"tabstop"});
        std::vector<const Control*> order;
        for (const auto& tabstop : tabstops->Children) {
            tabstop->AllowAttributes({});
            tabstop->AllowChildren({});
            const Control* control = Find(tabstop->Text, tabstop->Path);
            if (control->Type != Kind::Button && control->Type != Kind::Radio && control->Type != Kind::Edit)
                throw Fault(tabstop->Path + ": " + control->Name + " takes no focus");
            if (std::find(order.begin(), order.end(), control) != order.end())
                throw Fault(tabstop->Path + ": " + control->Name + " twice");
            order.push_back(control);
        }
        for (const Control& control : FControls)
            if ((control.Type == Kind::Button || control.Type == Kind::Radio || control.Type == Kind::Edit)
                && std::find(order.begin(), order.end(), &control) == order.end())
                throw Fault(tabstops->Path + ": " + control.Name + " is missing");
        std::string list;
        for (const Control* control : order)
            list += (list.empty() ? "" : ", ") + control->Name;
        if (!order.empty())
            Line(FFormName + "->SetTabOrder({" + list + "});");

        const auto first = std::find_if(order.begin(), order.end(), [](const Control* c) { return c->Type == Kind::Radio; });
        const auto radios = std::count_if(order.begin(), order.end(), [](const Control* c) { return c->Type == Kind::Radio; });
        if (radios > 0 && std::find_if(first, first + radios, [](const Control* c) { return c->Type != Kind::Radio; })
                != first + radios)
            throw Fault(tabstops->Path + ": the radio buttons, one group, must follow one another");
        for (auto radio = first + (radios > 0); radio < first + radios; ++radio)
            Line((*radio)->Name + "->JoinGroup();");

        for (const auto& [path, label, buddy] : FBuddies) {
            if (Find(buddy, path)->Id == 0)
                throw Fault(path + ": " + buddy + " is no control a label can name");
            Line(label + "->SetBuddy(" + buddy + ");");
        }
    }

    const Control* Find(const std::string& Name, const std::string& Path) const
    {
        for (const Control& control : FControls)
            if (control.Name == Name)
                return &control;
        throw Fault(Path + ": no control named " + Name);
    }

    void Line(const std::string& Text) { FSetup << "        " << Text << '\n'; }

    struct Buddy {
        std::string Path;
        std::string Label;
        std::string Field;
    };

    const Element& FRoot;
    std::string FFormName;
    std::set<std::string> FHeaders;
    std::vector<Control> FControls;
    std::vector<Buddy> FBuddies;
    std::ostringstream FSetup;
    int FWindows = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: makeui FORM.ui HEADER.h\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in)
            throw Fault("cannot read it");
        std::ostringstream text;
        text << in.rdbuf();
        const std::string header = Writer(*Reader(text.str()).Document()).Header();
        std::ofstream out(argv[2], std::ios::binary);
        out << header;
        out.close();
        if (!out)
            throw std::runtime_error(std::string(argv[2]) + ": cannot write it");
    } catch (const Fault& fault) {
        std::cerr << argv[1] << ": " << fault.what() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "makeui: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
