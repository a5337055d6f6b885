#include "vantrell/xdf/LinearEquation.h"

#include <cmath>

namespace vantrell::xdf {

namespace {

// a*X + b while parsing; `ok` false once the text leaves straight lines.
struct Affine
{
    double a = 0;
    double b = 0;
};

class Parser
{
  public:
    explicit Parser(const QString& text) : text_(text) {}

    std::optional<Affine> parse()
    {
        auto v = sum();
        skipBlanks();
        if (!v || pos_ != text_.size())
            return std::nullopt;
        return v;
    }

  private:
    // Nesting deep enough for any real equation; deeper input is refused rather than recursed.
    static constexpr int kMaxDepth = 64;

    void skipBlanks()
    {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
    }

    bool take(QChar c)
    {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    std::optional<Affine> sum()
    {
        auto left = product();
        while (left) {
            if (take(QLatin1Char('+'))) {
                auto right = product();
                if (!right)
                    return std::nullopt;
                left = Affine{left->a + right->a, left->b + right->b};
            } else if (take(QLatin1Char('-'))) {
                auto right = product();
                if (!right)
                    return std::nullopt;
                left = Affine{left->a - right->a, left->b - right->b};
            } else
                break;
        }
        return left;
    }

    std::optional<Affine> product()
    {
        auto left = unary();
        while (left) {
            if (take(QLatin1Char('*'))) {
                auto right = unary();
                if (!right || (left->a != 0 && right->a != 0))
                    return std::nullopt; // X times X bends the line
                left = Affine{left->a * right->b + right->a * left->b, left->b * right->b};
            } else if (take(QLatin1Char('/'))) {
                auto right = unary();
                if (!right || right->a != 0 || right->b == 0)
                    return std::nullopt; // dividing by X (or by nothing)
                left = Affine{left->a / right->b, left->b / right->b};
            } else
                break;
        }
        return left;
    }

    std::optional<Affine> unary()
    {
        if (++depth_ > kMaxDepth)
            return std::nullopt;
        std::optional<Affine> v;
        if (take(QLatin1Char('-'))) {
            v = unary();
            if (v)
                v = Affine{-v->a, -v->b};
        } else if (take(QLatin1Char('+')))
            v = unary();
        else
            v = atom();
        --depth_;
        return v;
    }

    std::optional<Affine> atom()
    {
        skipBlanks();
        if (pos_ >= text_.size())
            return std::nullopt;
        if (take(QLatin1Char('('))) {
            auto v = sum();
            if (!v || !take(QLatin1Char(')')))
                return std::nullopt;
            return v;
        }
        const QChar c = text_[pos_];
        if (c == QLatin1Char('X') || c == QLatin1Char('x')) {
            // "x" alone; "0x1F" is read below, "xor" or "exp" are not ours.
            const bool alone = pos_ + 1 >= text_.size() || !text_[pos_ + 1].isLetterOrNumber();
            if (!alone)
                return std::nullopt;
            ++pos_;
            return Affine{1, 0};
        }
        if (c.isDigit() || c == QLatin1Char('.'))
            return number();
        return std::nullopt;
    }

    std::optional<Affine> number()
    {
        const qsizetype start = pos_;
        if (text_.mid(pos_, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
            pos_ += 2;
            const qsizetype digits = pos_;
            while (pos_ < text_.size() && isHexDigit(text_[pos_]))
                ++pos_;
            bool ok = false;
            const qulonglong v = text_.mid(digits, pos_ - digits).toULongLong(&ok, 16);
            if (!ok)
                return std::nullopt;
            return Affine{0, static_cast<double>(v)};
        }
        while (pos_ < text_.size() && (text_[pos_].isDigit() || text_[pos_] == QLatin1Char('.')))
            ++pos_;
        if (pos_ < text_.size() && (text_[pos_] == QLatin1Char('e') || text_[pos_] == QLatin1Char('E'))) {
            qsizetype p = pos_ + 1;
            if (p < text_.size() && (text_[p] == QLatin1Char('+') || text_[p] == QLatin1Char('-')))
                ++p;
            if (p < text_.size() && text_[p].isDigit()) {
                pos_ = p;
                while (pos_ < text_.size() && text_[pos_].isDigit())
                    ++pos_;
            }
        }
        bool ok = false;
        const double v = text_.mid(start, pos_ - start).toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return std::nullopt;
        return Affine{0, v};
    }

    static bool isHexDigit(QChar c)
    {
        return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
    }

    QString text_;
    qsizetype pos_ = 0;
    int depth_ = 0;
};

} // namespace

std::optional<LinearForm> linearForm(const QString& equation)
{
    if (equation.trimmed().isEmpty())
        return LinearForm{};
    const auto v = Parser(equation).parse();
    if (!v || !std::isfinite(v->a) || !std::isfinite(v->b))
        return std::nullopt;
    return LinearForm{v->a, v->b};
}

} // namespace vantrell::xdf
