#include "FormDescription.h"

#include <QApplication>
#include <QFile>
#include <QRect>
#include <QXmlStreamReader>

#include <algorithm>

namespace bench {

namespace {

// The value element at the reader, read to its end.
QVariant readValue(QXmlStreamReader& xml)
{
    const QString type = xml.name().toString();
    if (type == u"rect" || type == u"size") {
        QHash<QString, int> n;
        while (xml.readNextStartElement())
            n.insert(xml.name().toString(), xml.readElementText().toInt());
        return type == u"rect" ? QVariant(QRect(n["x"], n["y"], n["width"], n["height"]))
                               : QVariant(QSize(n["width"], n["height"]));
    }
    const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
    return type == u"bool" ? QVariant(text == u"true") : QVariant(text);
}

} // namespace

std::vector<FormControl> readFormDescription()
{
    std::vector<FormControl> form;
    QFile file(QStringLiteral(":/Unit1.ui"));
    if (!file.open(QIODevice::ReadOnly))
        return form;
    QXmlStreamReader xml(&file);
    std::vector<std::size_t> open; // the <widget> elements being read, innermost last
    QString property;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == u"widget")
            open.pop_back();
        if (!xml.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"widget") {
            open.push_back(form.size());
            form.push_back({attributes.value(QLatin1String("class")).toString(),
                            attributes.value(QLatin1String("name")).toString(),
                            {}});
        } else if (xml.name() == u"property" && !open.empty()) {
            property = attributes.value(QLatin1String("name")).toString();
        } else if (!property.isEmpty()) {
            form[open.back()].properties.insert(std::exchange(property, QString()), readValue(xml));
        }
    }
    if (xml.hasError())
        form.clear();
    return form;
}

const FormControl& control(const std::vector<FormControl>& form, const QString& name)
{
    const auto found = std::ranges::find(form, name, &FormControl::name);
    return found != form.end() ? *found : form.front();
}

void useTheProgramsFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(13);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
}

} // namespace bench
