// The checked 16-bit Integer, rounding, and reading numbers from typed text.

#include "integer.h"
#include "numbers.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace tavrin;

namespace {
enum class Outcome { Value, Overflow, DivByZero };
using Binary = Integer (*)(Integer, Integer);
constexpr double inf = std::numeric_limits<double>::infinity();
} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(IntegerReading::Status)

class TestInteger : public QObject {
    Q_OBJECT

    static void columns()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("expected");
        QTest::addColumn<Outcome>("outcome");
    }
    static void row(const char *name, int a, int b, int expected)
    {
        QTest::newRow(name) << a << b << expected << Outcome::Value;
    }
    static void fails(const char *name, int a, int b, Outcome o = Outcome::Overflow)
    {
        QTest::newRow(name) << a << b << 0 << o;
    }
    static void check(Binary op)
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, expected);
        QFETCH(Outcome, outcome);
        switch (outcome) {
        case Outcome::Value: QCOMPARE(op(a, b).value(), expected); break;
        case Outcome::Overflow: QVERIFY_THROWS_EXCEPTION(OverflowError, op(a, b)); break;
        case Outcome::DivByZero: QVERIFY_THROWS_EXCEPTION(DivisionByZeroError, op(a, b)); break;
        }
    }

private slots:
    void construct_data()
    {
        QTest::addColumn<long long>("v");
        QTest::addColumn<bool>("fits");
        for (long long v : {0LL, 1LL, -1LL, 32767LL, -32768LL})
            QTest::addRow("%lld", v) << v << true;
        for (long long v : {32768LL, -32769LL, 65535LL, 65536LL, 4294967296LL, -4294967296LL})
            QTest::addRow("%lld", v) << v << false;
    }
    void construct()
    {
        QFETCH(long long, v);
        QFETCH(bool, fits);
        QCOMPARE(Integer::fits(v), fits);
        if (fits) {
            QCOMPARE(Integer::fromWide(v).value(), int(v));
            QCOMPARE(Integer(int(v)).value(), int(v));
        } else {
            QVERIFY_THROWS_EXCEPTION(OverflowError, Integer::fromWide(v));
            if (v >= INT_MIN && v <= INT_MAX)
                QVERIFY_THROWS_EXCEPTION(OverflowError, Integer(int(v)));
        }
    }

    void add_data()
    {
        columns();
        row("small", 30, 5, 35);
        row("negative", -30, 5, -25);
        row("to max", 32766, 1, 32767);
        row("to min", -32767, -1, -32768);
        row("max plus min", 32767, -32768, -1);
        fails("max + 1", 32767, 1);
        fails("min + -1", -32768, -1);
        fails("20000 + 20000", 20000, 20000);
        fails("min + min", -32768, -32768);
    }
    void add() { check([](Integer a, Integer b) { return a + b; }); }

    void subtract_data()
    {
        columns();
        row("small", 5, 30, -25);
        row("to min", -32767, 1, -32768);
        row("to max", 32766, -1, 32767);
        row("zero minus max", 0, 32767, -32767);
        fails("min - 1", -32768, 1);
        fails("max - -1", 32767, -1);
        fails("zero minus min", 0, -32768);
        fails("max - min", 32767, -32768);
    }
    void subtract() { check([](Integer a, Integer b) { return a - b; }); }

    void multiply_data()
    {
        columns();
        row("default total", 35, 40, 1400);
        row("936 questions", 35, 936, 32760);
        row("negative", -35, 40, -1400);
        row("min times 1", -32768, 1, -32768);
        row("by zero", 32767, 0, 0);
        row("256 x -128", 256, -128, -32768);
        fails("937 questions", 35, 937);
        fails("256 x 128", 256, 128);
        fails("min x -1", -32768, -1);
        fails("181 x 182", 181, 182);
        fails("max x max", 32767, 32767);
    }
    void multiply() { check([](Integer a, Integer b) { return a * b; }); }

    void divide_data()
    {
        columns();
        row("exact", 40, 10, 4);
        row("truncates", 7, 2, 3);
        row("toward zero, negative dividend", -7, 2, -3);
        row("toward zero, negative divisor", 7, -2, -3);
        row("both negative", -7, -2, 3);
        row("rows of 10 for 39", 39, 10, 3);
        row("min by 1", -32768, 1, -32768);
        row("max by -1", 32767, -1, -32767);
        fails("min by -1", -32768, -1);
        fails("by zero", 7, 0, Outcome::DivByZero);
        fails("zero by zero", 0, 0, Outcome::DivByZero);
    }
    void divide() { check(idiv); }

    void modulo_data()
    {
        columns();
        row("positive", 7, 2, 1);
        row("sign of dividend", -7, 2, -1);
        row("divisor sign ignored", 7, -2, 1);
        row("both negative", -7, -2, -1);
        row("column of dot 11", 10, 10, 0);
        row("min by -1", -32768, -1, 0);
        row("max by max", 32767, 32767, 0);
        fails("by zero", 7, 0, Outcome::DivByZero);
    }
    void modulo() { check(imod); }

    void negate_data()
    {
        columns();
        row("positive", 5, 0, -5);
        row("zero", 0, 0, 0);
        row("max", 32767, 0, -32767);
        row("-max", -32767, 0, 32767);
        fails("min", -32768, 0);
    }
    void negate() { check([](Integer a, Integer) { return -a; }); }

    void decimalText_data()
    {
        QTest::addColumn<int>("v");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "0";
        QTest::newRow("positive, no blank") << 1400 << "1400";
        QTest::newRow("negative") << -5 << "-5";
        QTest::newRow("min") << -32768 << "-32768";
    }
    void decimalText()
    {
        QFETCH(int, v);
        QFETCH(QString, text);
        QCOMPARE(Integer(v).toString(), text);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<long long>("nearest");
        QTest::newRow("1.5") << 1.5 << 2LL;
        QTest::newRow("2.5") << 2.5 << 2LL;
        QTest::newRow("3.5") << 3.5 << 4LL;
        QTest::newRow("-2.5") << -2.5 << -2LL;
        QTest::newRow("-3.5") << -3.5 << -4LL;
        QTest::newRow("0.5") << 0.5 << 0LL;
        QTest::newRow("-0.5") << -0.5 << 0LL;
        QTest::newRow("12.7") << 12.7 << 13LL;
        QTest::newRow("12.3") << 12.3 << 12LL;
        QTest::newRow("-12.7") << -12.7 << -13LL;
        QTest::newRow("2.5000001") << 2.5000001 << 3LL;
        QTest::newRow("2.4999999") << 2.4999999 << 2LL;
        QTest::newRow("sukima 66 x 0.4") << 66 * 0.4 << 26LL;
        QTest::newRow("sukima 102 x 0.4") << 102 * 0.4 << 41LL;
        QTest::newRow("32767.5") << 32767.5 << 32768LL;
        QTest::newRow("-32768.5") << -32768.5 << -32768LL;
        QTest::newRow("4503599627370497 (2^52+1)") << 4503599627370497.0 << 4503599627370497LL;
        QTest::newRow("1e18") << 1e18 << 1000000000000000000LL;
    }
    void rounding()
    {
        QFETCH(double, x);
        QFETCH(long long, nearest);
        QCOMPARE(roundHalfEven(x), nearest);
    }

    void roundingRefuses_data()
    {
        QTest::addColumn<double>("x");
        QTest::newRow("NaN") << std::nan("");
        QTest::newRow("+inf") << inf;
        QTest::newRow("-inf") << -inf;
        QTest::newRow("1e19") << 1e19;
        QTest::newRow("-1e300") << -1e300;
    }
    void roundingRefuses()
    {
        QFETCH(double, x);
        QVERIFY_THROWS_EXCEPTION(OverflowError, roundHalfEven(x));
        QVERIFY_THROWS_EXCEPTION(OverflowError, toInteger(x));
    }

    void toIntegerRange_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("fits");
        QTest::newRow("32767.4") << 32767.4 << 32767 << true;
        QTest::newRow("32766.5 to even") << 32766.5 << 32766 << true;
        QTest::newRow("32767.5 rounds out") << 32767.5 << 0 << false;
        QTest::newRow("-32768.4") << -32768.4 << -32768 << true;
        QTest::newRow("-32768.5 to even stays in") << -32768.5 << -32768 << true;
        QTest::newRow("-32768.6") << -32768.6 << 0 << false;
        QTest::newRow("65536 does not wrap") << 65536.0 << 0 << false;
    }
    void toIntegerRange()
    {
        QFETCH(double, x);
        QFETCH(int, expected);
        QFETCH(bool, fits);
        if (fits)
            QCOMPARE(toInteger(x).value(), expected);
        else
            QVERIFY_THROWS_EXCEPTION(OverflowError, toInteger(x));
    }

    // A typed text as a time box and as a settings field read it.
    // hasNumber false: the box reads 0 and the field is refused.
    void reading_data()
    {
        using S = IntegerReading::Status;
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasNumber");
        QTest::addColumn<S>("status");
        QTest::addColumn<int>("value");
        auto num = [](const char *name, const QString &text, int v) {
            QTest::newRow(name) << text << true << S::Ok << v;
        };
        auto none = [](const char *name, const QString &text) {
            QTest::newRow(name) << text << false << S::Ok << 0;
        };
        auto out = [](const char *name, const QString &text) {
            QTest::newRow(name) << text << true << S::OutOfRange << 0;
        };
        none("empty", "");
        none("abc", "abc");
        num("12abc", "12abc", 12);
        num("12.7", "12.7", 13);
        num("2.5", "2.5", 2);
        num("3.5", "3.5", 4);
        num("-2.5", "-2.5", -2);
        num("-5", "-5", -5);
        num("30", "30", 30);
        num("12s", "12s", 12);
        num("32767", "32767", 32767);
        out("32768", "32768");
        num("-32768", "-32768", -32768);
        out("-32769", "-32769");
        out("32767.5 rounds out", "32767.5");
        num("-32768.5 rounds in", "-32768.5", -32768);
        num("1e3: no exponent", "1e3", 1);
        num("leading blank", " 7", 7);
        num("leading tab", "\t7", 7);
        num("plus sign", "+4", 4);
        num(".5", ".5", 0);
        num("-.5", "-.5", 0);
        num(".6", ".6", 1);
        num("5.", "5.", 5);
        num("two points", "1.5.5", 2);
        num("comma stops", "1,000", 1);
        num("leading zeros", "007", 7);
        none("hex &H10", "&H10");
        none("full-width digits", QString::fromUtf16(u"１２"));
        none("sign alone", "-");
        none("point alone", ".");
        none("sign then letters", "-abc");
        none("two signs", "--5");
        none("sign, blank, digit", "- 5");
        out("400 digits", QString(400, u'9'));
        out("310 digits with sign", QStringLiteral("-") + QString(310, u'1'));
        out("1000000", "1000000");
        num("many leading zeros", QString(300, u'0') + u'5', 5);
        num("long fraction", "7." + QString(300, u'1'), 7);
    }
    void reading()
    {
        using S = IntegerReading::Status;
        QFETCH(QString, text);
        QFETCH(bool, hasNumber);
        QFETCH(S, status);
        QFETCH(int, value);

        QCOMPARE(leadingNumber(text).has_value(), hasNumber);
        const IntegerReading box = readBoxInteger(text);
        QCOMPARE(box.status, status);
        if (box.ok())
            QCOMPARE(box.value.value(), value);

        const IntegerReading field = readFieldInteger(text);
        QCOMPARE(field.status, hasNumber ? status : S::NotANumber);
        if (field.ok())
            QCOMPARE(field.value.value(), value);
    }

    void leadingNumberValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("12.7") << "12.7" << 12.7;
        QTest::newRow("12abc") << "12abc" << 12.0;
        QTest::newRow("-2.5") << "-2.5" << -2.5;
        QTest::newRow("-.25") << "-.25" << -0.25;
        QTest::newRow("1e3") << "1e3" << 1.0;
        QTest::newRow("32768.9") << "32768.9" << 32768.9;
    }
    void leadingNumberValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(leadingNumber(text).value_or(std::nan("")), value);
        QCOMPARE(boxValue(text), value);
    }
};

QTEST_GUILESS_MAIN(TestInteger)
#include "tst_integer.moc"
