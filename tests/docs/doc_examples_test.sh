#!/usr/bin/env bash
# The code in the README and in docs/ is the examples' own, which CI builds and runs, so it
# cannot drift from the engine: every fenced block marked cpp, lua, cmake or text must stand in
# a file under examples/, line for line (indentation aside).
set -euo pipefail
cd "$1"
perl -e '
use strict;
use warnings;
use File::Find;

sub lines_of { my ($text) = @_; return "\n" . join("\n", map { s/^\s+//r } split /\n/, $text) . "\n"; }

my %examples;
find(sub {
    return unless -f $_ && !/\.png$/;
    open my $in, "<", $_ or die "$File::Find::name: $!";
    local $/;
    $examples{$File::Find::name} = lines_of(<$in>);
}, "examples");

my $failed = 0;
for my $doc (@ARGV) {
    open my $in, "<", $doc or die "$doc: $!";
    my @lines = <$in>;
    chomp @lines;
    for (my $i = 0; $i < @lines; $i++) {
        next unless $lines[$i] =~ /^```(cpp|lua|cmake|text)\s*$/;
        my $first = $i + 1;
        my @block;
        for ($i++; $i < @lines && $lines[$i] !~ /^```\s*$/; $i++) { push @block, $lines[$i]; }
        my $block = lines_of(join("\n", @block));
        next if grep { index($_, $block) >= 0 } values %examples;
        print "FAIL: $doc:$first: the block is in no file under examples/\n";
        $failed = 1;
    }
}
print "PASS: every code block of the documentation is an example'"'"'s\n" unless $failed;
exit $failed;
' README.md docs/*.md
