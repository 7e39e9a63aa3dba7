#!/usr/bin/env bash
# Runs the layer checker on one-file trees, one per row: file | include | expected exit status.
set -u
checker=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
while IFS='|' read -r file include expected; do
  rm -rf "$tmp/src" && mkdir -p "$tmp/src/$(dirname "$file")"
  printf '#include <string>\n#include "%s"\n' "$include" >"$tmp/src/$file"
  "$checker" "$tmp/src" 2>"$tmp/out"
  status=$?
  if [ "$status" -ne "$expected" ] || { [ "$expected" -ne 0 ] && ! grep -q "src/$file:2:" "$tmp/out"; }; then
    echo "$file including $include: exit $status, expected $expected"; cat "$tmp/out"; failed=1
  fi
done <<'ROWS'
state/a.cpp|protocol/b.h|0
state/a.cpp|state/b.h|0
support/zmq/a.cpp|support/async_socket/b.h|0
views/a.h|charts/b.h|0
views/a.h|kit/b.h|0
kit/a.cpp|kit/core/b.h|0
trading/a.cpp|printing/b.h|0
printing/a.cpp|kit/b.h|0
views/a.cpp|printing/b.h|0
reports/a.cpp|printing/b.h|0
kit/a.cpp|printing/b.h|1
kit/core/a.cpp|printing/b.h|1
printing/a.cpp|charts/b.h|1
model/a.cpp|protocol/b.h|1
platform/a.h|kit/b.h|1
reports/a.h|funds/b.h|1
views/a.h|trading/b.h|1
kit/a.h|views/b.h|1
kit/core/a.h|trading/b.h|1
charts/a.h|views/b.h|1
state/a.cpp|../protocol/b.h|1
state/a.cpp|gui/b.h|1
state/a.cpp|app/b.h|1
gui/a.cpp|model/b.h|1
shell/a.cpp|views/b.h|0
shell/core/a.cpp|kit/b.h|0
kit/a.cpp|shell/b.h|1
views/a.cpp|shell/core/b.h|1
views/a.cpp|state/business_base.h|1
trading/core/a.h|state/order_book.h|1
shell/a.cpp|state/reference_data.h|1
shell/core/a.cpp|state/business_base.h|1
shell/core/app_session.cpp|state/business_base.h|0
charts/a.h|state/session_view.h|0
views/a.cpp|state/session_commands.h|0
kit/a.cpp|state/notification_payloads.h|0
orders/a.cpp|state/business_base.h|0
ROWS

# The plain-text rules, one source line per row: file @ line @ expected exit status.
while IFS='@' read -r file line expected; do
  rm -rf "$tmp/src" && mkdir -p "$tmp/src/$(dirname "$file")"
  printf '#include <string>\n%s\n' "$line" >"$tmp/src/$file"
  "$checker" "$tmp/src" 2>"$tmp/out"
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "$file with $line: exit $status, expected $expected"; cat "$tmp/out"; failed=1
  fi
done <<'ROWS'
chat/a.cpp@auto* l = new QLabel(this);@1
chat/a.cpp@auto* l = kit::plainLabel(this);@0
state/a.cpp@auto* l = new QLabel(this);@0
shell/a.cpp@QLabel caption(name);@1
trading/a.cpp@auto* b = new QMessageBox(QMessageBox::Information, t, x, QMessageBox::NoButton, this);@1
views/a.cpp@QMessageBox::warning(this, t, x);@1
views/a.cpp@box->setInformativeText(x);@1
kit/plain_text.cpp@box->setInformativeText(x);@0
news/a.cpp@view->setHtml(x);@1
chat/a.cpp@item->setToolTip(QString::fromStdString(user.username));@1
chat/a.cpp@item->setToolTip(kit::plainToolTip(name));@0
chat/a.cpp@item->setToolTip(qs(context_.text("0309")));@0
funds/a.cpp@if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return QString::fromStdString(x);@1
funds/a.cpp@if (role == Qt::ToolTipRole) return kit::plainToolTip(x);@0
news/a.cpp@if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};@0
views/a.cpp@case Qt::ToolTipRole: return QVariant();@0
trading/a.cpp@field->setText("Market");@1
views/a.cpp@button->setText(QStringLiteral("Print"));@1
charts/a.cpp@menu->addAction("Candlestick", this, [] {});@1
charts/a.cpp@box->addItem(icon, "Line Chart");@1
chat/a.cpp@setWindowTitle(tr("Request Message"));@1
shell/a.cpp@auto* b = new QPushButton("Go on");@1
charts/a.cpp@menu->addAction(text("90501"), this, [] {});@0
views/a.cpp@label->setText("%");@0
views/a.cpp@label->setText(QString("—"));@0
charts/a.cpp@box->addItem("M15");@0
charts/a.cpp@menu->addAction("OHLC");@0
trading/core/a.cpp@field->setText("Market");@0
state/a.cpp@field->setText("Market");@0
chat/core/a.cpp@return waiting ? "Waiting for acceptance" : queue.QueueName;@1
chat/core/a.cpp@NoticeTexts texts{"Subject: " + room.MessageTitle, "Time: ", ""};@1
state/a.cpp@std::snprintf(buf, sizeof buf, "%s %02d", kMonths[m], hour < 12 ? "AM" : "PM");@1
state/a.cpp@const char* const kMonths[2] = {"Jan", "Feb"};@1
orders/a.cpp@banner.title = "App Updates Available";@1
views/core/a.cpp@rows.push_back({"Contract Size", size});@1
state/a.cpp@TC::eachRecord(section, "Trade currency", [](const Fields&) {});@0
state/a.cpp@platform::Log::debug("Chat message with fewer than three parts");@0
news/core/a.cpp@constexpr const char* kMonths[2] = {"Jan", "Feb"};  // not keyed: the feed's dates@0
model/a.cpp@case 3: return "Close Position Only";@0
ROWS
exit $failed
