#include "package/ByteCursor.h"
#include "package/DefaultsRenderer.h"
#include "package/NativeExporter.h"
#include "package/ScriptReader.h"
#include "support/GameDir.h"
#include "support/PackageWriter.h"
#include "support/Raised.h"

#include <QDir>
#include <QTest>

#include <cmath>
#include <limits>

using namespace kelvarin;
using kelvarin::test::PackageWriter;

namespace {

using P = PackageWriter;

// Engine.u: Actor, declaring one property of every kind the fixtures store.
QByteArray EnginePackage()
{
    P w;
    const int32_t actor = w.Class("Actor", 0, QByteArray("class Actor;\r\n"));
    const int32_t drawType = w.Enum(actor, "EDrawType", {"DT_None", "DT_Sprite", "DT_Mesh"});
    const int32_t vector = w.Struct(actor, "Vector");
    for (const char *axis : {"X", "Y", "Z"})
        w.Declare(vector, axis, "FloatProperty");
    const int32_t flags = w.Struct(actor, "Flags");
    w.Declare(flags, "bOn", "BoolProperty");
    const int32_t scale = w.Struct(actor, "Scale");
    w.Declare(scale, "Scale", "StructProperty", vector);
    w.Declare(scale, "Axis", "ByteProperty", drawType);
    w.Declare(actor, "DrawType", "ByteProperty", drawType);
    w.Declare(actor, "Charge", "IntProperty");
    w.Function(actor, "Touch");
    w.Declare(actor, "FragLimit", "IntProperty", 0, 1, DefaultsRenderer::kConfig);
    w.Declare(actor, "ServerName", "StrProperty", 0, 1, DefaultsRenderer::kGlobalConfig);
    w.Declare(actor, "bOption", "BoolProperty", 0, 1, DefaultsRenderer::kConfig | 0x20);
    w.Declare(actor, "Weight", "FloatProperty");
    w.Declare(actor, "bStatic", "BoolProperty");
    w.Declare(actor, "Tag", "NameProperty");
    w.Declare(actor, "Message", "StrProperty");
    w.Declare(actor, "Mesh", "ObjectProperty");
    w.Declare(actor, "Ammo", "ClassProperty", actor);
    w.Declare(actor, "Slots", "IntProperty", 0, 4);
    w.Declare(actor, "Location", "StructProperty", vector);
    w.Declare(actor, "Sizing", "StructProperty", scale);
    w.Declare(actor, "Switches", "StructProperty", flags);
    w.Declare(actor, "Level", "ByteProperty");
    w.Declare(actor, "Items", "ArrayProperty", w.Declare(actor, "Inner", "IntProperty"));
    w.SetDefaults(actor, w.Property("Charge", P::IntType, P::Int32(5)) + w.EndOfProperties());
    return w.Bytes();
}

QByteArray Floats(float x, float y, float z)
{
    return P::Float(x) + P::Float(y) + P::Float(z);
}

// Mod.u: one class per case, each a child of Engine.Actor: the lines written
// between "{" and "}", or a part of the reason the class is refused.
struct ModCase
{
    const char *name;
    QByteArray (*defaults)(P &w);
    QStringList lines;
    const char *refusal = nullptr;
};

QByteArray One(P &w, const QByteArray &property)
{
    return property + w.EndOfProperties();
}

const ModCase kCases[] = {
    {"IntValue", [](P &w) { return One(w, w.Property("Charge", P::IntType, P::Int32(100))); }, {"Charge=100"}},
    {"NegativeInt", [](P &w) { return One(w, w.Property("Charge", P::IntType, P::Int32(-5))); }, {"Charge=-5"}},
    {"FloatValue", [](P &w) { return One(w, w.Property("Weight", P::FloatType, P::Float(1.0f))); }, {"Weight=1.000000"}},
    {"HugeFloat", [](P &w) { return One(w, w.Property("Weight", P::FloatType, P::Float(4.3634677e24f))); },
     {"Weight=4363467783093056800000000.000000"}},
    {"EnumValue", [](P &w) { return One(w, w.Property("DrawType", P::ByteType, QByteArray(1, '\2'))); }, {"DrawType=DT_Mesh"}},
    {"PlainByte", [](P &w) { return One(w, w.Property("Level", P::ByteType, QByteArray(1, '\7'))); }, {"Level=7"}},
    {"BoolTrue", [](P &w) { return One(w, w.BoolProperty("bStatic", true)); }, {"bStatic=True"}},
    {"BoolFalse", [](P &w) { return One(w, w.BoolProperty("bStatic", false)); }, {"bStatic=False"}},
    {"NameValue", [](P &w) { return One(w, w.Property("Tag", P::NameType, P::Compact(w.Name("Foo")))); }, {"Tag=Foo"}},
    {"StringValue",
     [](P &w) { return One(w, w.Property("Message", P::DynamicStrType, P::String("You got the \xC9p\xE9\x65."))); },
     {QString::fromLatin1("Message=\"You got the \xC9p\xE9\x65.\"")}},
    {"ImportedObject", [](P &w) {
         const int32_t mesh = w.Import("Engine", "LodMesh", w.ImportPackage("Botpack"), "ArenaCam");
         return One(w, w.Property("Mesh", P::ObjectType, P::Compact(mesh)));
     }, {"Mesh=LodMesh'Botpack.ArenaCam'"}},
    {"GroupedObject", [](P &w) {
         const int32_t skins = w.ImportPackage("Skins", w.ImportPackage("Botpack"));
         return One(w, w.Property("Mesh", P::ObjectType, P::Compact(w.Import("Engine", "Texture", skins, "Metal"))));
     }, {"Mesh=Texture'Botpack.Skins.Metal'"}},
    {"OwnObject", [](P &w) {
         const int32_t sound = w.Export(w.ImportClass(w.ImportPackage("Engine"), "Sound"), 0, 0, "Beep", "x");
         return One(w, w.Property("Mesh", P::ObjectType, P::Compact(sound)));
     }, {"Mesh=Sound'Mod.Beep'"}},
    {"NoObject", [](P &w) { return One(w, w.Property("Mesh", P::ObjectType, P::Compact(0))); }, {"Mesh=None"}},
    {"ClassValue", [](P &w) {
         const int32_t ammo = w.ImportClass(w.ImportPackage("Botpack"), "ShockCore");
         return One(w, w.Property("Ammo", P::ObjectType, P::Compact(ammo)));
     }, {"Ammo=Class'Botpack.ShockCore'"}},
    {"ArrayElements", [](P &w) {
         return w.Property("Slots", P::IntType, P::Int32(3)) + w.Property("Slots", P::IntType, P::Int32(4), 2)
             + w.EndOfProperties();
     }, {"Slots(0)=3", "Slots(2)=4"}},
    {"StructFields", [](P &w) {
         return One(w, w.Property("Location", P::StructType, Floats(1, 0, -2.5f), -1, "Vector"));
     }, {"Location=(X=1.000000,Z=-2.500000)"}},
    {"NestedStruct", [](P &w) {
         return One(w, w.Property("Sizing", P::StructType, Floats(0, 2, 0) + QByteArray(1, '\1'), -1, "Scale"));
     }, {"Sizing=(Scale=(Y=2.000000),Axis=DT_Sprite)"}},
    {"SeveralInOrder", [](P &w) {
         return w.Property("Weight", P::FloatType, P::Float(0.25f)) + w.BoolProperty("bStatic", true)
             + w.Property("Charge", P::IntType, P::Int32(7)) + w.EndOfProperties();
     }, {"Weight=0.250000", "bStatic=True", "Charge=7"}},
    {"ConfigFromIni", [](P &w) { return One(w, w.Property("FragLimit", P::IntType, P::Int32(10))); }, {"FragLimit=25"}},
    {"ConfigOnlyInIni", [](P &w) { return One(w, w.Property("Charge", P::IntType, P::Int32(1))); },
     {"Charge=1", "FragLimit=7"}},
    {"ConfigAsParent", [](P &w) { return One(w, w.Property("FragLimit", P::IntType, P::Int32(10))); }, {}},
    {"WithScript", [](P &w) { return One(w, w.Property("Charge", P::IntType, P::Int32(9))); }, {"Charge=9"}},
    // Refused.
    {"DynamicArray", [](P &w) { return One(w, w.Property("Items", P::ArrayType, QByteArray(1, '\0'))); }, {},
     "Items is a ArrayProperty, a value form that is not written"},
    {"BoolInStruct", [](P &w) { return One(w, w.Property("Switches", P::StructType, QByteArray(1, '\1'), -1, "Flags")); },
     {}, "the struct field bOn is a bool"},
    {"Undeclared", [](P &w) { return One(w, w.Property("Nowhere", P::IntType, P::Int32(1))); }, {},
     "no declaration of its stored property Nowhere was found"},
    {"EnumOutOfRange", [](P &w) { return One(w, w.Property("DrawType", P::ByteType, QByteArray(1, '\x09'))); }, {},
     "the value 9 of DrawType has no name in its enum"},
    {"QuotedString", [](P &w) { return One(w, w.Property("Message", P::DynamicStrType, P::String("say \"hi\""))); }, {},
     "the string Message holds a double quote"},
    {"NotANumber", [](P &w) {
         return One(w, w.Property("Weight", P::FloatType, P::Float(std::numeric_limits<float>::quiet_NaN())));
     }, {}, "is not a number the game writes"},
    {"ZeroStruct", [](P &w) { return One(w, w.Property("Location", P::StructType, Floats(0, 0, 0), -1, "Vector")); }, {},
     "the struct Location is stored with every field zero"},
    {"WrongType", [](P &w) { return One(w, w.Property("Charge", P::FloatType, P::Float(1))); }, {},
     "Charge is declared a IntProperty but stored as type 4"},
    {"LongValue", [](P &w) { return One(w, w.Property("Charge", P::IntType, P::Int32(1) + "x")); }, {},
     "the default of Charge holds 1 bytes more than its type"},
    {"BadConfig", [](P &w) { return w.EndOfProperties(); }, {},
     "the config variable bOption (BoolProperty) has the value \"maybe\""},
    // An earlier file of a refused class is kept.
    {"BadScript", [](P &w) { return w.EndOfProperties(); }, {}, "the bytecode holds the unknown token 0x03"},
};

QByteArray ModPackage()
{
    P w;
    const int32_t actor = w.ImportClass(w.ImportPackage("Engine"), "Actor");
    for (const ModCase &c : kCases) {
        const QByteArray name = c.name;
        const int32_t self = w.Class(name, actor, QByteArray("class " + name + " extends Actor;\r\n"));
        w.SetDefaults(self, c.defaults(w));
        if (name.startsWith("Config") || name == "BadConfig")
            w.SetConfigName(self, "Mod");
        if (name == "WithScript")
            // A replication condition's worth of code: a native call on a
            // variable and a constant, then a return of it.
            w.SetScript(self, QByteArray("\x04\x82\x01", 3) + P::Compact(-1) + QByteArray("\x24\x03\x16", 3), 10);
        if (name == "BadScript")
            w.SetScript(self, QByteArray("\x03\x0B", 2), 2);
    }
    return w.Bytes();
}

} // namespace

class TestNativeExporter : public QObject
{
    Q_OBJECT

    test::GameDir m_game;
    NativeExportResult m_result;

    QString ClassFile(const QString &name) const
    {
        return QString::fromLatin1(m_game.Read(QStringLiteral("Mod/Classes/") + name + QStringLiteral(".uc")));
    }

private slots:
    void initTestCase()
    {
        m_game.WriteBytes(QStringLiteral("System/engine.U"), EnginePackage());
        m_game.WriteBytes(QStringLiteral("System/Mod.u"), ModPackage());
        m_game.WriteText(QStringLiteral("System/Mod.ini"),
                         QStringLiteral("[Mod.ConfigFromIni]\r\nFragLimit=25\r\n[mod.configonlyinini]\r\nfraglimit=7 \r\n"
                                        "[Mod.ConfigAsParent]\r\nFragLimit=0\r\n[Mod.BadConfig]\r\nbOption=maybe\r\n"));
        m_game.WriteText(QStringLiteral("System/UnrealTournament.ini"),
                         QStringLiteral("[Engine.Actor]\r\nServerName=\"Another Server\"\r\n"));
        m_game.WriteText(QStringLiteral("Mod/Classes/BadScript.uc"), QStringLiteral("kept"));
        m_result = NativeExporter(m_game.Base()).Export(QStringLiteral("Mod"));
    }

    // One row per class of Mod.u.
    void exports_data()
    {
        QTest::addColumn<int>("index");
        for (const ModCase &c : kCases)
            QTest::newRow(c.name) << int(&c - kCases);
    }

    void exports()
    {
        QFETCH(int, index);
        const ModCase &c = kCases[index];
        const QString name = QLatin1String(c.name);
        if (!c.refusal) {
            QVERIFY2(m_result.written.contains(name), qPrintable(m_result.Report(QStringLiteral("Mod"))));
            QString expected = QStringLiteral("class %1 extends Actor;\r\ndefaultproperties\r\n{\r\n").arg(name);
            for (const QString &line : c.lines)
                expected += QStringLiteral("     ") + line + QStringLiteral("\r\n");
            QCOMPARE(ClassFile(name), expected + QStringLiteral("}\r\n"));
            return;
        }
        QString reason;
        for (const auto &[refused, text] : m_result.refused)
            if (refused == name)
                reason = text;
        QVERIFY2(reason.contains(QLatin1String(c.refusal)), qPrintable(reason));
        QVERIFY(!m_result.written.contains(name));
        QCOMPARE(m_game.Exists(QStringLiteral("Mod/Classes/") + name + QStringLiteral(".uc")), name == "BadScript");
        if (name == "BadScript")
            QCOMPARE(ClassFile(name), QStringLiteral("kept"));
    }

    // Exporting again rewrites only the files whose text differs.
    void exportingAgainRewritesOnlyChangedFiles()
    {
        QFile unchanged(m_game.Native(QStringLiteral("Mod/Classes/IntValue.uc")));
        const QDateTime earlier(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        QVERIFY(unchanged.open(QIODevice::ReadWrite) && unchanged.setFileTime(earlier, QFileDevice::FileModificationTime));
        unchanged.close();
        const QString expected = ClassFile(QStringLiteral("FloatValue"));
        m_game.WriteText(QStringLiteral("Mod/Classes/FloatValue.uc"), QStringLiteral("edited"));
        QCOMPARE(NativeExporter(m_game.Base()).Export(QStringLiteral("Mod")).written, m_result.written);
        QCOMPARE(ClassFile(QStringLiteral("FloatValue")), expected);
        QCOMPARE(QFileInfo(unchanged).lastModified().toUTC(), earlier);
    }

    // A package that cannot be read raises (what the reader says of each
    // kind of file is its own tests' matter); one whose classes' data is
    // laid out in a way not read has each class refused.
    void packagesItCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no such package") << QByteArray() << "Cannot open file %1" << "";
        QTest::newRow("an old file version") << test::SampleModPackage(63).Bytes() << ""
            << "%1 is a package of file version 63, whose classes' data is not read";
    }

    void packagesItCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(QString, refusal);
        test::GameDir game;
        if (!bytes.isEmpty())
            game.WriteBytes(QStringLiteral("System/Old.u"), bytes);
        const QString file = QDir::toNativeSeparators(game.Native(QStringLiteral("System/Old.u")));
        NativeExportResult result;
        QCOMPARE(test::Raised([&] { result = NativeExporter(game.Base()).Export(QStringLiteral("Old")); }),
                 message.isEmpty() ? QString() : message.arg(file));
        if (refusal.isEmpty())
            return;
        QCOMPARE(result.refused.size(), 2);
        for (const auto &[name, why] : result.refused)
            QCOMPARE(why, refusal.arg(file));
        QVERIFY(!game.Exists(QStringLiteral("Old")));
    }

    // A parent whose declarations cannot be read refuses every child, not
    // only the first one that meets it.
    void unreadableParentRefusesEveryChild()
    {
        test::GameDir game;
        P base;
        const int32_t self = base.Class("Base", 0, QByteArray("class Base;\r\n"));
        const int32_t cut = base.Declare(self, "Cut", "IntProperty");
        base.exports[size_t(cut - 1)].data = P::Compact(base.Name("None"));
        game.WriteBytes(QStringLiteral("System/Base.u"), base.Bytes());
        P mod;
        const int32_t parent = mod.ImportClass(mod.ImportPackage("Base"), "Base");
        for (const QByteArray name : {"First", "Second"})
            mod.Class(name, parent, "class " + name + " extends Base;\r\n");
        game.WriteBytes(QStringLiteral("System/Two.u"), mod.Bytes());
        const NativeExportResult result = NativeExporter(game.Base()).Export(QStringLiteral("Two"));
        QCOMPARE(result.written, QStringList());
        QCOMPARE(result.refused.size(), 2);
        for (const auto &[name, why] : result.refused)
            QVERIFY2(why.contains(QStringLiteral("the declaration of property Cut cannot be read")), qPrintable(why));
    }

    void formatsFloats_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("six decimals") << 0.1f << "0.100000";
        QTest::newRow("rounded") << 123456.789f << "123456.789062";
        QTest::newRow("negative zero") << -0.0f << "-0.000000";
        QTest::newRow("below 17 digits, exact") << 1.0e16f << "10000000272564224.000000";
        QTest::newRow("17 significant digits, then zeros") << -2.5e17f << "-249999996076687360.000000";
    }

    void formatsFloats()
    {
        QFETCH(float, value);
        QTEST(DefaultsRenderer::FormatFloat(value), "text");
    }

    // The token reader: where the code ends on disk, or that it is refused.
    void readsBytecode_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<int>("scriptSize");
        QTest::addColumn<int>("end");   // -1: refused
        const auto c = [](int64_t v) { return P::Compact(v); };
        const QByteArray call = "\x1B" + c(3) + "\x25\x16";   // name, one parameter, end
        QTest::newRow("variable") << QByteArray("\x01") + c(-3) << 5 << 2;
        QTest::newRow("assignment") << "\x0F\x01" + c(1) + "\x1D" + P::Int32(70000) << 11 << 8;
        QTest::newRow("virtual call") << call << 7 << 4;
        QTest::newRow("final call") << "\x1C" + c(-2) + QByteArray("\x1F" "ab\0\x16", 5) << 10 << 7;
        QTest::newRow("native operator") << QByteArray("\x92\x26\x25\x16") << 4 << 4;
        QTest::newRow("extended native") << QByteArray("\x61\x05\x16") << 3 << 3;
        QTest::newRow("conversion") << "\x44\x1E" + P::Float(2) << 6 << 6;
        QTest::newRow("unicode string") << QByteArray("\x34\x61\0\0\0", 5) << 5 << 5;
        QTest::newRow("label table") << "\x0C" + c(3) + P::Int32(8) + c(0) + P::Int32(-1) << 17 << 11;
        QTest::newRow("switch and cases")
            << QByteArray("\x05\x04\x00", 3) + c(1) + QByteArray("\x0A\x10\x00\x1D", 4) + P::Int32(2) + QByteArray("\x0A\xFF\xFF")
            << 18 << 15;
        QTest::newRow("context call") << "\x19\x01" + c(1) + QByteArray("\x02\x00\x04", 3) + call << 16 << 10;
        QTest::newRow("jumps and iterator")
            << QByteArray("\x07\x00\x00\x27\x06\x00\x00\x2F", 8) + call + QByteArray("\x00\x00\x31\x30", 4) << 19 << 16;
        QTest::newRow("struct compare") << "\x32" + c(-1) + "\x01" + c(1) + "\x01" + c(2) << 15 << 6;
        QTest::newRow("new") << QByteArray("\x11\x2A\x2A\x2A\x20") + c(-1) << 9 << 6;
        QTest::newRow("unknown token") << QByteArray("\x03") << 1 << -1;
        QTest::newRow("unused conversion") << QByteArray("\x5A\x25") << 2 << -1;
        QTest::newRow("past the script size") << "\x1D" + P::Int32(1) << 3 << -1;
        QTest::newRow("cut short") << QByteArray("\x0B") << 10 << -1;
        QTest::newRow("string without its NUL") << QByteArray("\x1F" "ab") << 4 << -1;
        QTest::newRow("call without its end") << "\x1B" + c(3) + "\x25" << 7 << -1;
        QTest::newRow("negative size") << QByteArray("\x0B") << -1 << -1;
        QTest::newRow("nested too deep") << QByteArray(1000, '\x04') + "\x0B" << 1001 << -1;
    }

    void readsBytecode()
    {
        QFETCH(QByteArray, code);
        QFETCH(int, scriptSize);
        QFETCH(int, end);
        const QByteArray data = code + "\xEE";   // what follows the code
        const QString file = QStringLiteral("Mod.u");
        ByteCursor cursor(data, 0, data.size(), file, QStringLiteral("the code"));
        const QString raised = test::Raised([&] { ScriptReader::Skip(cursor, scriptSize, 0); });
        if (end < 0) {
            QVERIFY2(raised.startsWith(QStringLiteral("Mod.u is damaged: ")), qPrintable(raised));
            return;
        }
        QCOMPARE(raised, QString());
        QCOMPARE(int(cursor.Pos()), end);
    }
};

KELVARIN_TEST_MAIN(TestNativeExporter)
#include "tst_nativeexporter.moc"
