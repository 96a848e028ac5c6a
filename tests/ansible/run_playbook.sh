#!/usr/bin/env bash
# Runs the Ansible inventory playbook against this machine (connection local),
# with the fact pointed at a corpus table, and checks the gathered facts.
#   run_playbook.sh TOOL TABLE SERIAL MEMTOTAL MODULES
# Exits 77 (skipped) when ansible-playbook is not installed.
set -euo pipefail
tool=$1 table=$2 serial=$3 total=$4 modules=$5
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v ansible-playbook >/dev/null 2>&1; then
  echo "skipped: ansible-playbook is not installed (Debian ansible-core)"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/tarnlix-ansible.XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "localhost ansible_connection=local ansible_python_interpreter=/usr/bin/python3" >"$work/hosts"
export ANSIBLE_HOME="$work/ansible" ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_REMOTE_TEMP="$work/tmp"
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_GATHERING=explicit
timeout 300 ansible-playbook -i "$work/hosts" "$here/check_facts.yml" \
  -e tarnlix_become=false -e "tarnlix_source=$tool" -e "tarnlix_bin=$work/bin/tarnlix" \
  -e "tarnlix_fact_dir=$work/facts.d" -e "tarnlix_from=$table" -e "tarnlix_baseline=$table" \
  -e "expected_serial=$serial" -e "expected_memtotal=$total" -e "expected_modules=$modules"
