#pragma once
#include <QPixmap>
#include <QWidget>

namespace kemless {

// The craving helper's picture: a ring that empties as the five minutes go,
// and inside it a disc that swells while breathing in and sinks while
// breathing out, with the word to follow in its middle.
class BreathingRing : public QWidget {
    Q_OBJECT
public:
    explicit BreathingRing(QWidget* parent = nullptr);

    // `gonePermille` of the five minutes are over; `breathPermille` is the
    // size of the breath (0 empty, 1000 full); `word` "吸って" or "吐いて".
    void setState(int gonePermille, int breathPermille, const QString& word);
    int gonePermille() const { return gone_; }
    int breathPermille() const { return breath_; }
    QString word() const { return word_; }

    QSize sizeHint() const override { return {150, 150}; }
    QSize minimumSizeHint() const override { return {110, 110}; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Where the ring runs and what is inside it, in this widget.
    QRectF ringRect() const;
    qreal penWidth() const;
    QRect discArea(int breathPermille) const;
    void paintBand(const QRect& area, const QRectF& ring, qreal pen);

    // The ring as it stands, drawn once for each step of the five minutes
    // it shows: a frame then only copies it and draws the disc.
    QPixmap ringPicture_;
    int pictureGone_ = -1;
    QColor pictureGround_;
    QPixmap discPicture_;
    int gone_ = 0;
    int breath_ = 0;
    QString word_;
};

}  // namespace kemless
