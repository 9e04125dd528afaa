#pragma once

#include <QObject>

// The desktop's bell, for confirmations the user hears without looking up
// (a scan at the warehouse desk): one ring for yes, two for no. It counts
// what it rang, so that a test can tell without a loudspeaker.
class Bell : public QObject
{
    Q_OBJECT
    // false: rings nothing (the rings are still counted as skipped)
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    // confirmations rung since the element was made
    Q_PROPERTY(int confirmed READ confirmed NOTIFY rang)
    // refusals rung since the element was made
    Q_PROPERTY(int refused READ refused NOTIFY rang)

public:
    explicit Bell(QObject *parent = nullptr);

    bool enabled() const;
    void setEnabled(bool enabled);
    int confirmed() const;
    int refused() const;

    // one ring: the thing asked for was done
    Q_INVOKABLE void confirm();
    // two rings a moment apart: it was not
    Q_INVOKABLE void refuse();

Q_SIGNALS:
    void enabledChanged();
    void rang();

private:
    void ring();

    bool m_enabled = true;
    int m_confirmed = 0;
    int m_refused = 0;
};
