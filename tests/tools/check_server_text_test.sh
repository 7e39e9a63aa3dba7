#!/usr/bin/env bash
# Runs the server-text check on one-file trees, one per row:
# file @ code @ expected exit status @ why.
set -u
checker=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
while IFS='@' read -r file code expected why; do
  rm -rf "$tmp/src" && mkdir -p "$tmp/src/$(dirname "$file")"
  printf '#include <string>\n%b\n' "$code" >"$tmp/src/$file"
  "$checker" "$tmp/src" 2>"$tmp/out"
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "$file ($why) with $code: exit $status, expected $expected"; cat "$tmp/out"; failed=1
  fi
done <<'ROWS'
chat/a.cpp@    setWindowTitle(QString::fromStdString(name));@1@fromStdString to setWindowTitle
news/a.cpp@    view->setPlainText(QString::fromUtf8(body.data(), body.size()));@1@fromUtf8 to setPlainText
views/a.cpp@    label->setText(QString::fromLatin1(name.data()));@1@fromLatin1
views/a.cpp@    label->setText(QString::fromLocal8Bit(name));@1@fromLocal8Bit
views/a.cpp@    label->setText(QString::fromStdU16String(name));@1@fromStdU16String
views/a.cpp@    label->setText(QString::fromUcs4(name.data(), n));@1@fromUcs4
views/a.cpp@    label->setText(QString::fromWCharArray(name.data()));@1@fromWCharArray
views/a.cpp@    label->setText(QLatin1String(name.c_str()));@1@QLatin1String
views/a.cpp@    label->setText(QLatin1StringView(name));@1@QLatin1StringView
views/a.cpp@    label->setText(QUtf8StringView(name).toString());@1@QUtf8StringView
views/a.cpp@    box->setObjectName(QAnyStringView(name));@1@QAnyStringView from a std::string
views/a.cpp@    label->setText(QString::asprintf("%s", name.c_str()));@1@asprintf
views/a.cpp@    label->setText(QString(name.c_str()));@1@QString of c_str()
views/a.cpp@    auto* label = new QLabel(QString::fromStdString(name), this);@1@QLabel constructor
views/a.cpp@    table->setItem(0, 0, new QTableWidgetItem(QString::fromStdString(code)));@1@QTableWidgetItem
views/a.cpp@    model.appendRow(new QStandardItem(QString::fromStdString(code)));@1@QStandardItem
views/a.cpp@    auto* b = new QPushButton(QString::fromStdString(title), this);@1@QPushButton
views/a.cpp@    QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString());@1@QMessageBox
funds/a.cpp@    box->addItem(QString::fromStdString(gateway->name));@1@addItem
funds/a.cpp@    box->setItemText(0, QString::fromStdString(gateway->name));@1@setItemText
trading/a.cpp@    OffsetBox->setTitle(QString::fromStdString(text("0447") + " #" + id));@1@setTitle, text("key") + server text
trading/a.cpp@    tabs->setTabText(1, QString::fromStdString(name));@1@setTabText
shell/a.cpp@    field->setPlaceholderText(QString::fromStdString(hint));@1@setPlaceholderText
shell/a.cpp@    action->setStatusTip(QString::fromStdString(hint));@1@setStatusTip
charts/a.cpp@    painter.drawText(box, 0, QString::fromStdString(legend));@1@drawText
charts/a.cpp@    const QString e = metrics.elidedText(QString::fromStdString(t), Qt::ElideRight, 80);@1@elidedText
charts/a.cpp@    const QRect r = metrics.boundingRect(QString::fromStdString(t));@1@boundingRect
reports/a.cpp@QVariant M::headerData(int s, Qt::Orientation, int) const { return QString::fromStdString(titles[s]); }@1@headerData
reports/a.cpp@struct M : QAbstractTableModel {\n    QVariant data(const QModelIndex& i, int) const override { return QString::fromStdString(rows[i.row()]); }\n};@1@data() in a class body
reports/a.cpp@QString M::cellData(int r, int c) const { return QString::fromUtf8(rows[r][c].c_str()); }@1@cellData()
funds/a.cpp@QVariant M::data(const QModelIndex& i, int role) const {\n    switch (role) {\n    case Qt::DisplayRole:\n        return QString::fromStdString(row.name);\n    }\n}@1@DisplayRole answer
shell/a.cpp@    const QString shown = QString::fromStdString(user->userName);\n    label->setText(shown);@1@a variable between conversion and sink
shell/a.cpp@    const auto q = [](const std::string& s) { return QString::fromStdString(s); };\n    label->setText(q(name));@1@a lambda between conversion and sink
trading/a.h@inline QString q(const std::string& s) { return QString::fromStdString(s); }@1@a helper for other files
shell/a.cpp@    label->setText(\n        QString::fromStdString(user->userName));@1@a statement over two lines
shell/a.cpp@    label->setText(user ? QString::fromStdString(user->userName) : QString());@1@a conditional
views/a.cpp@    field->setText(QString::fromStdString(saved.password));  // own text: kept exact@1@a line marked own text
views/a.cpp@    button->setText(QString::fromStdString(context_.text("0060")));@1@a string-table text converted by hand
views/a.cpp@    field->setText(QString::fromStdString(model::Formatter::formatDecimal(x, 2)));@1@a figure converted by hand
printing/a.cpp@    at.insertText(QString::fromStdString(address), format);@1@insertText
kit/a.cpp@    w += metrics.horizontalAdvance(QString::fromStdString(name));@1@horizontalAdvance
kit/a.cpp@    tip->setToolTip(kit::plainToolTip(QString::fromStdString(name)));@1@setToolTip, even around a kit form
kit/a.cpp@    static const QString name = u"fusion"_L1;@1@a Latin-1 literal
chat/a.cpp@    setWindowTitle(kit::shownText(name));@0@control: the rule
shell/a.cpp@    kit::setShownText(*label, user->userName);@0@control: the rule's label form
views/a.cpp@    button->setText(kit::tableText(context_, "0060"));@0@control: a string-table text
views/a.cpp@    field->setText(kit::decimalText(x, 2));@0@control: a figure
views/a.cpp@    field->setText(QStringLiteral("0") + QString::number(count));@0@control: the app's literal and a number
views/a.cpp@    // Not QString::fromStdString(name): the rule.\n    label->setText(kit::shownText(name));@0@control: a comment is no code
views/a.cpp@    log("fromStdString");@0@control: a string literal is no code
views/core/a.cpp@    std::string s = QString::fromStdString(name).toStdString();@0@control: Qt-free core (no Qt there)
kit/own_text.cpp@QString tableText(std::int64_t l, std::string_view k) { return QString::fromStdString(lookup(l, k)); }@0@control: a road file
views/a.cpp@    label->setText(name.c_str());@0@no token: a compile error under QT_NO_CAST_FROM_ASCII
views/a.cpp@    label->setText(QByteArray::fromStdString(name));@0@bytes, no QString: a compile error under QT_NO_CAST_FROM_BYTEARRAY
ROWS
exit $failed
