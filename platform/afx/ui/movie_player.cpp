#include "platform/afx/ui/movie_player.h"

#include <QFileInfo>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPointer>

#include "platform/afx/ui/ui_private.h"
#include "platform/win/path.h"

using namespace afx_detail;

namespace {

class MovieWidget : public QWidget {
public:
    explicit MovieWidget(QWidget* parent) : QWidget(parent) {}

    QString path;
    QColor background = Qt::black;

    bool load(const QString& file) {
        path = file;
        movie_.reset();
        still_ = QImage();
        std::string native;
        if (!suite::TryNativePath(FromQ(file).GetString(), native) || !QFileInfo(QString::fromStdString(native)).isFile()) {
            update();
            return false;
        }
        const QString name = QString::fromStdString(native);
        auto movie = std::make_unique<QMovie>(name);
        if (movie->isValid() && movie->frameCount() > 1) {
            movie_ = std::move(movie);
            movie_->setCacheMode(QMovie::CacheNone);
            connect(movie_.get(), &QMovie::frameChanged, this, [this] { update(); });
            movie_->jumpToFrame(0);
        } else if (!still_.load(name)) {
            update();
            return false;
        }
        update();
        return true;
    }
    void play() {
        playing_ = true;
        if (movie_) movie_->start();
    }
    void stop() {
        playing_ = false;
        if (movie_) movie_->setPaused(true);
    }
    bool playing() const { return playing_; }
    int frame() const { return movie_ ? movie_->currentFrameNumber() : 0; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), background);
        const QImage picture = movie_ ? movie_->currentImage() : still_;
        if (picture.isNull()) return;
        QSize size = picture.size();
        if (size.width() > width() || size.height() > height()) size.scale(this->size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, picture);
    }

private:
    std::unique_ptr<QMovie> movie_;
    QImage still_;
    bool playing_ = false;
};

QWidget* MakeMoviePlayer(CWnd*, CREATESTRUCT&, QWidget* parent) {
    auto* player = new MovieWidget(parent);
    QPointer<MovieWidget> guard(player);
    SetPendingSetup([guard](WindowState* s) {
        s->controlProc = [guard](UINT m, WPARAM, LPARAM lp, LRESULT* r) -> bool {
            if (!guard) return false;
            switch (m) {
            case MPM_SETMOVIE: *r = guard->load(ToQ(reinterpret_cast<const char*>(lp))) ? TRUE : FALSE; return true;
            case MPM_PLAY: guard->play(); *r = 0; return true;
            case MPM_STOP: guard->stop(); *r = 0; return true;
            case MPM_ISPLAYING: *r = guard->playing() ? TRUE : FALSE; return true;
            case MPM_GETFRAME: *r = guard->frame(); return true;
            case MPM_GETMOVIE:
                if (auto* out = reinterpret_cast<CString*>(lp)) *out = FromQ(guard->path);
                *r = TRUE;
                return true;
            case MPM_SETBKCOLOR: {
                const QString text = ToQ(reinterpret_cast<const char*>(lp));
                bool ok = false;
                const uint rgb = text.toUInt(&ok, 16);
                if (ok && text.size() == 6) {
                    guard->background = QColor::fromRgb(rgb);
                    guard->update();
                }
                *r = ok ? TRUE : FALSE;
                return true;
            }
            default: return false;
            }
        };
    });
    return player;
}

struct Registrar {
    Registrar() { RegisterWidgetFactory(MOVIEPLAYER_CLASS, MakeMoviePlayer); }
} g_registrar;

}  // namespace

IMPLEMENT_DYNAMIC(CMoviePlayerCtrl, CWnd)

BOOL CMoviePlayerCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(MOVIEPLAYER_CLASS, nullptr, style | WS_CHILD, rect, parent, id);
}

BOOL CMoviePlayerCtrl::SetMovie(LPCTSTR path) {
    return GetSafeHwnd() ? static_cast<BOOL>(SendMessage(MPM_SETMOVIE, 0, reinterpret_cast<LPARAM>(path ? path : ""))) : FALSE;
}

CString CMoviePlayerCtrl::GetMovie() const {
    CString out;
    if (GetSafeHwnd()) ::SendMessage(m_hWnd, MPM_GETMOVIE, 0, reinterpret_cast<LPARAM>(&out));
    return out;
}

void CMoviePlayerCtrl::Play() {
    if (GetSafeHwnd()) SendMessage(MPM_PLAY);
}

void CMoviePlayerCtrl::StopPlay() {
    if (GetSafeHwnd()) SendMessage(MPM_STOP);
}

BOOL CMoviePlayerCtrl::IsPlaying() const {
    return GetSafeHwnd() ? static_cast<BOOL>(::SendMessage(m_hWnd, MPM_ISPLAYING, 0, 0)) : FALSE;
}

int CMoviePlayerCtrl::CurrentFrame() const {
    return GetSafeHwnd() ? static_cast<int>(::SendMessage(m_hWnd, MPM_GETFRAME, 0, 0)) : 0;
}

void CMoviePlayerCtrl::SetBackgroundColor(LPCTSTR rrggbb) {
    if (GetSafeHwnd()) SendMessage(MPM_SETBKCOLOR, 0, reinterpret_cast<LPARAM>(rrggbb ? rrggbb : ""));
}
