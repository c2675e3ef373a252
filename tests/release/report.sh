# Sourced by the release tests (shell scripts): runs their cases and writes a report in
# GoogleTest's XML form, which tools/test sums up with the other suites.
#   report_begin SUITE XML   (XML may be empty: no report)
#   report_case NAME COMMAND [ARGS...]   a case passes when COMMAND returns 0; what it printed
#                                        is the failure's text
#   report_end               writes the report; returns 1 when a case failed
report_begin() {
    report_suite=$1
    report_xml=$2
    report_tests=0
    report_failures=0
    report_cases=""
}

report_case() {
    report_name=$1
    shift
    report_tests=$((report_tests + 1))
    if report_output=$("$@" 2>&1); then
        echo "[       OK ] $report_suite.$report_name"
        report_cases="$report_cases
    <testcase name=\"$report_name\" status=\"run\" classname=\"$report_suite\" />"
    else
        echo "[  FAILED  ] $report_suite.$report_name"
        echo "$report_output" | sed 's/^/    /'
        report_failures=$((report_failures + 1))
        report_cases="$report_cases
    <testcase name=\"$report_name\" status=\"run\" classname=\"$report_suite\">
      <failure message=\"failed\" type=\"\"><![CDATA[$report_output]]></failure>
    </testcase>"
    fi
}

report_end() {
    echo "$report_tests tests, $report_failures failed"
    if [ -n "$report_xml" ]; then
        cat >"$report_xml" <<REPORT
<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="$report_tests" failures="$report_failures" disabled="0" errors="0" name="AllTests">
  <testsuite name="$report_suite" tests="$report_tests" failures="$report_failures" disabled="0" errors="0">$report_cases
  </testsuite>
</testsuites>
REPORT
    fi
    [ "$report_failures" -eq 0 ]
}
