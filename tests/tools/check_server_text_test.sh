#!/usr/bin/env bash
# Runs the server-text checker on one-file trees, one per row: file @ code @ expected exit status.
set -u
checker=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
while IFS='@' read -r file code expected; do
  rm -rf "$tmp/src" && mkdir -p "$tmp/src/$(dirname "$file")"
  printf '#include <string>\n%b\n' "$code" >"$tmp/src/$file"
  "$checker" "$tmp/src" 2>"$tmp/out"
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "$file with $code: exit $status, expected $expected"; cat "$tmp/out"; failed=1
  fi
done <<'ROWS'
chat/a.cpp@    setWindowTitle(QString::fromStdString(name));@1
chat/a.cpp@    setWindowTitle(kit::shownText(name));@0
shell/a.cpp@    label->setText(\n        QString::fromStdString(user->userName));@1
shell/a.cpp@    label->setText(user ? QString::fromStdString(user->userName) : QString());@1
shell/a.cpp@    kit::setShownText(*label, user->userName);@0
news/a.cpp@    view->setPlainText(QString::fromUtf8(body.data(), body.size()));@1
printing/a.cpp@    at.insertText(QString::fromStdString(address), format);@1
kit/a.cpp@    w += metrics.horizontalAdvance(QString::fromStdString(name));@1
kit/a.cpp@    tip->setToolTip(kit::plainToolTip(QString::fromStdString(name)));@0
views/a.cpp@    button->setText(QString::fromStdString(context_.text("0060")));@0
views/a.cpp@    field->setText(QString::fromStdString(model::Formatter::formatDecimal(x, 2)));@0
views/a.cpp@    field->setText(QString::fromStdString(std::to_string(count)));@0
views/a.cpp@    field->setText(QString::fromStdString(saved.password));  // own text: kept exact@0
views/a.cpp@    field->setText(QString::fromStdString(saved.password));  // own text:@1
views/core/a.cpp@    field->setText(QString::fromStdString(name));@0
funds/a.cpp@QVariant M::data(const QModelIndex& i, int role) const {\n    if (role == Qt::DisplayRole) return QString::fromStdString(row.name);\n}@1
funds/a.cpp@QVariant M::data(const QModelIndex& i, int role) const {\n    switch (role) {\n    case Qt::DisplayRole:\n        return QString::fromStdString(row.name);\n    }\n}@1
funds/a.cpp@QVariant M::data(const QModelIndex& i, int role) const {\n    if (role == Qt::DisplayRole) return kit::shownText(row.name);\n}@0
ROWS
exit $failed
