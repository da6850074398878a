#pragma once

#include "package/PackageSet.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace kelvarin {

class ByteCursor;
class GameConfig;

// Renders a class's stored default properties as the game's own exporter
// writes its defaultproperties block: one line per value, "Name=Value" or
// "Name(i)=Value" for an element of a static array, values in the game's
// text forms (enum names, floats with six decimals, Class'Package.Name',
// structs in parentheses, strings in double quotes, True/False), config
// variables with the value the game reads from its configuration files.
//
// What a stored value means is declared by the property objects of the
// class that declares it, a parent perhaps, in another package of the set.
// A class whose defaults cannot be rendered exactly raises KelvarinError
// saying why (a value form this renderer does not write, a declaration it
// cannot find, a damaged object): a partly right block would compile into
// another mod.
class DefaultsRenderer
{
public:
    DefaultsRenderer(PackageSet &packages, GameConfig &config);
    ~DefaultsRenderer();

    // The lines between "{" and "}", without their indentation.
    QStringList Render(const PackageFile &package, const PackageClass &packageClass);

    // A float as the game writes one: six decimals; beyond 17 significant
    // digits the digits are zeros. Raises KelvarinError for NaN and infinity.
    static QString FormatFloat(float value);

    // Declared flags of a property that matter here.
    static constexpr uint32_t kConfig = 0x00004000;
    static constexpr uint32_t kGlobalConfig = 0x00040000;

private:
    struct Declaration
    {
        QString name;
        QString kind;          // the property's class: "IntProperty", ...
        int arrayDim = 1;
        uint32_t flags = 0;
        PackageObject owner;   // the class or struct declaring it
        // The enum, object class or struct the kind needs, as a reference of
        // the declaring package (0: none), looked up when a value needs it.
        int32_t typeRef = 0;
    };
    struct StoredValue
    {
        QString name;
        int type = 0;
        int index = 0;
        bool hasIndex = false;
        bool boolValue = false;
        qsizetype begin = 0;   // the value's bytes in the package
        qsizetype size = 0;
    };
    struct ClassInfo
    {
        PackageObject self;
        int32_t superRef = 0;
        QString configName;
        std::vector<StoredValue> stored;
        std::vector<const Declaration *> own;       // in the order the game walks them
        bool parentResolved = false;
        ClassInfo *parent = nullptr;
        // Why the class's data could not be read, raised again at every use.
        QString failure;
    };

    ClassInfo &Class(const PackageObject &object);
    ClassInfo &ReadClass(const PackageObject &object, const QString &key);
    ClassInfo *Parent(ClassInfo &info);
    // Every property of the class and its parents, own first.
    std::vector<const Declaration *> AllProperties(ClassInfo &info);
    const Declaration *Find(ClassInfo &info, const QString &name);
    std::vector<const Declaration *> &Fields(const PackageObject &structObject);
    void ReadFieldChain(const PackageObject &owner, int32_t first, std::vector<const Declaration *> &into);
    const Declaration *ReadProperty(const PackageObject &object, const PackageObject &owner, int32_t *next);
    const QStringList &EnumNames(const PackageObject &enumObject);

    QString RenderStored(const PackageObject &holder, const Declaration &declaration, const StoredValue &value);
    QString RenderItem(const PackageFile &package, const Declaration &declaration, ByteCursor &data, bool *zero);
    QString RenderStruct(const PackageFile &package, const Declaration &declaration, ByteCursor &data, bool *zero);
    QString RenderObject(const PackageFile &package, int32_t ref);
    QString ZeroText(const Declaration &declaration);
    QString ConfigText(const Declaration &declaration, const QString &value);
    QString Effective(ClassInfo &info, const Declaration &declaration, int index);
    const StoredValue *StoredOf(ClassInfo &info, const Declaration &declaration, int index);
    QString ClassPath(const PackageObject &object) const;
    QString Label(const Declaration &declaration, int index) const;

    PackageSet &m_packages;
    GameConfig &m_config;
    std::vector<std::unique_ptr<Declaration>> m_declarations;
    std::vector<std::unique_ptr<ClassInfo>> m_classInfos;
    QHash<QString, ClassInfo *> m_classes;                          // by "package:export"
    QHash<QString, std::vector<const Declaration *>> m_structs;     // by "package:export"
    QHash<QString, QStringList> m_enums;                            // by "package:export"
    int m_depth = 0;
};

} // namespace kelvarin
