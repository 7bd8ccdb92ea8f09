#!/bin/sh
# Compiles the operator's guide into Tavrin.chm, and its English edition
# into Tavrin-en.chm (chmcmd, Debian package fp-utils-3.2.2). The compiled
# files are committed, so only run this after editing the guide.
set -eu
cd "$(dirname "$0")"
chmcmd --no-html-scan Tavrin.hhp
chmcmd --no-html-scan Tavrin-en.hhp
