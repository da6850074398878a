#include "package/ScriptReader.h"

#include "package/ByteCursor.h"

namespace kelvarin::ScriptReader {

namespace {

// The tokens of the game's bytecode (file versions 61 to 69).
enum Token : uint8_t {
    LocalVariable = 0x00,
    InstanceVariable = 0x01,
    DefaultVariable = 0x02,
    Return = 0x04,
    Switch = 0x05,
    Jump = 0x06,
    JumpIfNot = 0x07,
    Stop = 0x08,
    Assert = 0x09,
    Case = 0x0A,
    Nothing = 0x0B,
    LabelTable = 0x0C,
    GotoLabel = 0x0D,
    EatString = 0x0E,
    Let = 0x0F,
    DynArrayElement = 0x10,
    New = 0x11,
    ClassContext = 0x12,
    MetaCast = 0x13,
    LetBool = 0x14,
    EndFunctionParms = 0x16,
    Self = 0x17,
    Skip = 0x18,
    Context = 0x19,
    ArrayElement = 0x1A,
    VirtualFunction = 0x1B,
    FinalFunction = 0x1C,
    IntConst = 0x1D,
    FloatConst = 0x1E,
    StringConst = 0x1F,
    ObjectConst = 0x20,
    NameConst = 0x21,
    RotationConst = 0x22,
    VectorConst = 0x23,
    ByteConst = 0x24,
    IntZero = 0x25,
    IntOne = 0x26,
    True = 0x27,
    False = 0x28,
    NativeParm = 0x29,
    NoObject = 0x2A,
    IntConstByte = 0x2C,
    BoolVariable = 0x2D,
    DynamicCast = 0x2E,
    Iterator = 0x2F,
    IteratorPop = 0x30,
    IteratorNext = 0x31,
    StructCmpEq = 0x32,
    StructCmpNe = 0x33,
    UnicodeStringConst = 0x34,
    StructMember = 0x36,
    GlobalFunction = 0x38,
    FirstConversion = 0x39,   // RotatorToVector
    LastConversion = 0x59,    // RotatorToString
    ExtendedNative = 0x60,    // 0x60 to 0x6F: a second byte completes the number
    FirstNative = 0x70,
};

// Nesting deeper than this is no code the compiler writes; it stops a
// hostile file from exhausting the stack.
constexpr int kMaxDepth = 512;

class Reader
{
public:
    Reader(ByteCursor &data, int32_t size, int32_t noneName) : m_data(data), m_size(size), m_none(noneName) {}

    void ReadAll()
    {
        while (m_memory < m_size)
            Expression(0);
        if (m_memory != m_size)
            m_data.Damaged(QStringLiteral("the bytecode ends at %1 bytes, past its script size of %2 bytes")
                               .arg(m_memory)
                               .arg(m_size));
    }

private:
    // Each field read on disk, counted as it lies in memory.
    void Byte() { m_data.U8(); m_memory += 1; }
    void Word() { m_data.U16(); m_memory += 2; }
    void Int() { m_data.U32(); m_memory += 4; }
    void Ref() { m_data.Compact(); m_memory += 4; }
    void Name() { m_data.Compact(); m_memory += 4; }
    int32_t NameIndex() { m_memory += 4; return m_data.Compact(); }

    void CheckRoom(qsizetype tokenStart)
    {
        if (m_memory > m_size)
            m_data.Damaged(QStringLiteral("the bytecode token at offset %1 runs past the script size of %2 bytes")
                               .arg(tokenStart)
                               .arg(m_size));
    }

    void Parameters(int depth)
    {
        while (Expression(depth + 1) != EndFunctionParms) {
        }
    }

    uint8_t Expression(int depth)
    {
        const qsizetype start = m_data.Pos();
        if (depth > kMaxDepth)
            m_data.Damaged(QStringLiteral("the bytecode nests deeper than %1 expressions at offset %2")
                               .arg(kMaxDepth)
                               .arg(start));
        const uint8_t token = m_data.U8();
        m_memory += 1;
        const int next = depth + 1;
        if (token >= FirstNative) {
            Parameters(depth);
        } else if (token >= ExtendedNative) {
            Byte();
            Parameters(depth);
        } else if (token >= FirstConversion && token <= LastConversion) {
            Expression(next);
        } else {
            switch (token) {
            case LocalVariable:
            case InstanceVariable:
            case DefaultVariable:
            case NativeParm:
            case ObjectConst:
                Ref();
                break;
            case Return:
            case GotoLabel:
            case EatString:
            case BoolVariable:
                Expression(next);
                break;
            case Switch:
                Byte();
                Expression(next);
                break;
            case Jump:
                Word();
                break;
            case JumpIfNot:
            case Assert:
            case Skip:
                Word();
                Expression(next);
                break;
            case Case: {
                // The last case (default) has the offset 0xFFFF and no value.
                m_memory += 2;
                if (m_data.U16() != 0xFFFF)
                    Expression(next);
                break;
            }
            case Stop:
            case Nothing:
            case EndFunctionParms:
            case Self:
            case IntZero:
            case IntOne:
            case True:
            case False:
            case NoObject:
            case IteratorPop:
            case IteratorNext:
                break;
            case LabelTable:
                // Entries of a name and a code offset, up to the name None.
                for (;;) {
                    const int32_t name = NameIndex();
                    Int();
                    CheckRoom(start);
                    if (name == m_none)
                        break;
                }
                break;
            case Let:
            case LetBool:
            case ArrayElement:
            case DynArrayElement:
                Expression(next);
                Expression(next);
                break;
            case New:
                for (int i = 0; i < 4; ++i)
                    Expression(next);
                break;
            case ClassContext:
            case Context:
                Expression(next);
                Word();
                Byte();
                Expression(next);
                break;
            case MetaCast:
            case DynamicCast:
            case StructMember:
                Ref();
                Expression(next);
                break;
            case VirtualFunction:
            case GlobalFunction:
                Name();
                Parameters(depth);
                break;
            case FinalFunction:
                Ref();
                Parameters(depth);
                break;
            case IntConst:
            case FloatConst:
                Int();
                break;
            case StringConst:
                // 8-bit text up to its NUL, the same in memory.
                while (m_data.U8() != 0) {
                    ++m_memory;
                    CheckRoom(start);
                }
                ++m_memory;
                break;
            case UnicodeStringConst:
                while (m_data.U16() != 0) {
                    m_memory += 2;
                    CheckRoom(start);
                }
                m_memory += 2;
                break;
            case NameConst:
                Name();
                break;
            case RotationConst:
            case VectorConst:
                Int();
                Int();
                Int();
                break;
            case ByteConst:
            case IntConstByte:
                Byte();
                break;
            case Iterator:
                Expression(next);
                Word();
                break;
            case StructCmpEq:
            case StructCmpNe:
                Ref();
                Expression(next);
                Expression(next);
                break;
            default:
                m_data.Damaged(QStringLiteral("the bytecode holds the unknown token 0x%1 at offset %2")
                                   .arg(token, 2, 16, QLatin1Char('0'))
                                   .arg(start));
            }
        }
        CheckRoom(start);
        return token;
    }

    ByteCursor &m_data;
    int32_t m_size;
    int32_t m_none;
    int64_t m_memory = 0;
};

} // namespace

void Skip(ByteCursor &data, int32_t scriptSize, int32_t noneName)
{
    if (scriptSize < 0)
        data.Damaged(QStringLiteral("a script size of %1 bytes").arg(scriptSize));
    Reader(data, scriptSize, noneName).ReadAll();
}

} // namespace kelvarin::ScriptReader
