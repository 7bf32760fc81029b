#pragma once

#include "members/memberrecord.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class EnterChain;
class RecordGrid;
class TDM1;

// How a screen's card lookup differs from the member query screen's.
struct LookupOptions
{
    // Asked when the card was replaced after a formal loss; OK opens its loss records.
    QString retiredQuestion = QStringLiteral("此卡已经挂失，不能查询,需要打开挂失记录吗？");
    // Runs between finding the member and loading it (a verbal-loss or category-rights test
    // of the points and loss screens); false leaves the screen as it was.
    std::function<bool(const MemberRecord&)> admit;
    // Leaving the card field also starts the lookup.
    bool lookupOnLeave = false;
};

// The member panel of every screen that starts by finding the member at the counter: the card
// field with its hint, the twenty member fields, the two flags, the eight fuzzy-search buttons
// and the pop-up search result. The screen places it and chooses its LookupOptions.
class MemberPanel : public QWidget
{
    Q_OBJECT
public:
    explicit MemberPanel(TDM1& dm, QWidget* parent = nullptr);
    ~MemberPanel() override;

    void setOptions(LookupOptions options);

    // Edit1 … Edit20 by object name.
    QLineEdit* field(const QString& objectName) const;
    QLineEdit* cardField() const;
    QCheckBox* verbalLossBox() const { return m_verbalLoss; }
    QCheckBox* insuredBox() const { return m_insured; }
    QGroupBox* resultPanel() const { return m_results; }
    RecordGrid* resultGrid() const { return m_resultGrid; }
    QPushButton* searchButton(const QString& objectName) const;

    // Lookup by the number in the card field (Enter in it).
    void lookUp();
    // Fuzzy search by the field of the given search input (Edit3, Edit4, …).
    void search(const QString& inputName);
    // Loads the member of a search result row (double click) and hides the result.
    void loadResultRow(int row);
    void hideResults();

    // Shows a member in every field and makes it the current card.
    void load(const MemberRecord& member);
    // Empties all twenty text fields and unticks both boxes (the screen's opening state).
    void clear();

    // The card number of the member on screen; kept when a lookup finds nothing.
    const QString& currentCard() const { return m_currentCard; }
    const std::optional<MemberRecord>& currentMember() const { return m_member; }

Q_SIGNALS:
    void memberLoaded(const MemberRecord& member);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void placeResults();

    TDM1& m_dm;
    LookupOptions m_options;
    QHash<QString, QLineEdit*> m_fields;
    QHash<QString, QPushButton*> m_buttons;
    QCheckBox* m_verbalLoss = nullptr;
    QCheckBox* m_insured = nullptr;
    QGroupBox* m_results = nullptr;
    RecordGrid* m_resultGrid = nullptr;
    EnterChain* m_enter = nullptr;
    QString m_currentCard;
    std::optional<MemberRecord> m_member;
    bool m_looking = false;
};
